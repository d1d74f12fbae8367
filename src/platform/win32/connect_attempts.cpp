// select() watches at most FD_SETSIZE sockets; the default of 64 is small
// for a long proxy list.
#define FD_SETSIZE 1024

#include "platform/connect_attempts.h"

#include "platform/win32/winsock_session.h"

#include <atomic>
#include <winsock2.h>
#include <ws2tcpip.h>

namespace launcher::platform {

struct ConnectAttempts::Impl {
    struct Attempt {
        std::size_t tag;
        SOCKET socket;
    };
    const win32::WinsockSession& winsock = win32::WinsockSession::get();
    std::vector<Attempt> attempts; // INVALID_SOCKET once finished
    // Select watches sockets only: `interrupt` sends a datagram to this
    // loopback socket to end a wait.
    SOCKET wake = INVALID_SOCKET;
    sockaddr_in wake_address{};
    std::atomic<bool> interrupted{false};
};

namespace {

SOCKET new_socket(int type, int protocol) {
    return ::WSASocketW(AF_INET, type, protocol, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
}

} // namespace

ConnectAttempts::ConnectAttempts() : impl_(std::make_unique<Impl>()) {
    impl_->wake = new_socket(SOCK_DGRAM, IPPROTO_UDP);
    impl_->wake_address.sin_family = AF_INET;
    impl_->wake_address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof impl_->wake_address;
    if (impl_->wake == INVALID_SOCKET ||
        ::bind(impl_->wake, reinterpret_cast<sockaddr*>(&impl_->wake_address), length) != 0 ||
        ::getsockname(impl_->wake, reinterpret_cast<sockaddr*>(&impl_->wake_address), &length) !=
            0) {
        if (impl_->wake != INVALID_SOCKET)
            ::closesocket(impl_->wake);
        impl_->wake = INVALID_SOCKET;
    }
}

ConnectAttempts::~ConnectAttempts() {
    for (const auto& attempt : impl_->attempts)
        if (attempt.socket != INVALID_SOCKET)
            ::closesocket(attempt.socket);
    if (impl_->wake != INVALID_SOCKET)
        ::closesocket(impl_->wake);
}

bool ConnectAttempts::start(std::size_t tag, const std::string& host, std::int32_t port) {
    if (!impl_->winsock.ready())
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    if (port < 0 || port > 65535 || ::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1)
        return false;
    if (impl_->attempts.size() + 1 >= FD_SETSIZE)
        return false;
    const SOCKET socket = new_socket(SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET)
        return false;
    u_long non_blocking = 1;
    if (::ioctlsocket(socket, FIONBIO, &non_blocking) != 0 ||
        (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
         ::WSAGetLastError() != WSAEWOULDBLOCK)) {
        ::closesocket(socket); // refused or unreachable at once
        return false;
    }
    impl_->attempts.push_back({tag, socket});
    return true;
}

bool ConnectAttempts::pending() const {
    for (const auto& attempt : impl_->attempts)
        if (attempt.socket != INVALID_SOCKET)
            return true;
    return false;
}

std::vector<ConnectAttempts::Finished> ConnectAttempts::wait() {
    std::vector<Finished> finished;
    if (!pending() || impl_->interrupted)
        return finished;
    // A connection shows up as writable; a failed one in the exceptions.
    fd_set writable;
    fd_set failed;
    fd_set woken;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_ZERO(&woken);
    for (const auto& attempt : impl_->attempts) {
        if (attempt.socket == INVALID_SOCKET)
            continue;
        FD_SET(attempt.socket, &writable);
        FD_SET(attempt.socket, &failed);
    }
    if (impl_->wake != INVALID_SOCKET)
        FD_SET(impl_->wake, &woken);
    // Without a wake socket the wait looks at the interrupt flag now and then.
    timeval poll_interval{0, 50'000};
    const bool can_wake = impl_->wake != INVALID_SOCKET;
    if (::select(0, &woken, &writable, &failed, can_wake ? nullptr : &poll_interval) ==
            SOCKET_ERROR ||
        impl_->interrupted)
        return finished;
    for (auto& attempt : impl_->attempts) {
        if (attempt.socket == INVALID_SOCKET)
            continue;
        const bool connected = FD_ISSET(attempt.socket, &writable) != 0;
        if (!connected && !FD_ISSET(attempt.socket, &failed))
            continue;
        ::closesocket(attempt.socket);
        attempt.socket = INVALID_SOCKET;
        finished.push_back({attempt.tag, connected});
    }
    return finished;
}

void ConnectAttempts::interrupt() {
    impl_->interrupted = true;
    if (impl_->wake == INVALID_SOCKET)
        return;
    const char one = 1;
    ::sendto(impl_->wake, &one, 1, 0, reinterpret_cast<const sockaddr*>(&impl_->wake_address),
             sizeof impl_->wake_address);
}

} // namespace launcher::platform
