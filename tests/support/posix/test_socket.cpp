#include "support/test_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace launcher::testing::net {

Socket listen_on(const char* address, std::uint16_t port, int backlog, std::uint16_t& bound_port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return kNoSocket;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    socklen_t length = sizeof where;
    if (::inet_pton(AF_INET, address, &where.sin_addr) != 1 ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&where), length) != 0 ||
        ::listen(fd, backlog) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&where), &length) != 0) {
        ::close(fd);
        return kNoSocket;
    }
    bound_port = ntohs(where.sin_port);
    return fd;
}

bool readable_within(Socket socket, int milliseconds) {
    pollfd watch{static_cast<int>(socket), POLLIN, 0};
    return ::poll(&watch, 1, milliseconds) > 0;
}

Socket accept_from(Socket listener) {
    const int fd = ::accept4(static_cast<int>(listener), nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return kNoSocket;
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

long send_some(Socket socket, const char* data, std::size_t size) {
    return ::send(static_cast<int>(socket), data, size, MSG_NOSIGNAL);
}

long receive_some(Socket socket, char* buffer, std::size_t size, bool peek) {
    return ::recv(static_cast<int>(socket), buffer, size, peek ? MSG_PEEK : 0);
}

void shut_down(Socket socket) {
    ::shutdown(static_cast<int>(socket), SHUT_RDWR);
}

void close_socket(Socket socket) {
    ::close(static_cast<int>(socket));
}

} // namespace launcher::testing::net
