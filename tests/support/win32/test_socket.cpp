#include "support/test_socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace launcher::testing::net {
namespace {

// Winsock for the test process, started on first use.
bool winsock_ready() {
    static const bool ready = [] {
        WSADATA data{};
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

SOCKET native(Socket socket) {
    return static_cast<SOCKET>(socket);
}

} // namespace

Socket listen_on(const char* address, std::uint16_t port, int backlog, std::uint16_t& bound_port) {
    if (!winsock_ready())
        return kNoSocket;
    const SOCKET fd =
        ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (fd == INVALID_SOCKET)
        return kNoSocket;
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    int length = sizeof where;
    if (::inet_pton(AF_INET, address, &where.sin_addr) != 1 ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&where), length) != 0 ||
        ::listen(fd, backlog) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&where), &length) != 0) {
        ::closesocket(fd);
        return kNoSocket;
    }
    bound_port = ntohs(where.sin_port);
    return static_cast<Socket>(fd);
}

bool readable_within(Socket socket, int milliseconds) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(native(socket), &readable);
    timeval wait{milliseconds / 1000, (milliseconds % 1000) * 1000};
    return ::select(0, &readable, nullptr, nullptr, &wait) > 0;
}

Socket accept_from(Socket listener) {
    const SOCKET fd = ::accept(native(listener), nullptr, nullptr);
    if (fd == INVALID_SOCKET)
        return kNoSocket;
    const BOOL on = TRUE;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    return static_cast<Socket>(fd);
}

long send_some(Socket socket, const char* data, std::size_t size) {
    return ::send(native(socket), data, static_cast<int>(size), 0);
}

long receive_some(Socket socket, char* buffer, std::size_t size, bool peek) {
    return ::recv(native(socket), buffer, static_cast<int>(size), peek ? MSG_PEEK : 0);
}

void shut_down(Socket socket) {
    ::shutdown(native(socket), SD_BOTH);
}

void close_socket(Socket socket) {
    ::closesocket(native(socket));
}

} // namespace launcher::testing::net
