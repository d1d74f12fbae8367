#include "support/tcp_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace launcher::testing {

TcpListener::TcpListener(const char* address, std::uint16_t port)
    : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    const int on = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    ::inet_pton(AF_INET, address, &where.sin_addr);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 ||
        ::listen(fd_, 8) != 0) {
        ::close(fd_);
        throw std::runtime_error("cannot listen");
    }
    socklen_t length = sizeof where;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&where), &length);
    port_ = ntohs(where.sin_port);
}

TcpListener::~TcpListener() {
    ::close(fd_);
}

} // namespace launcher::testing
