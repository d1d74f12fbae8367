#include "platform/connect_attempts.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace launcher::platform {

struct ConnectAttempts::Impl {
    struct Attempt {
        std::size_t tag;
        int socket;
    };
    std::vector<Attempt> attempts; // socket -1 once finished
    int wake[2] = {-1, -1};        // a pipe: `interrupt` writes, `wait` watches
    std::atomic<bool> interrupted{false};
};

ConnectAttempts::ConnectAttempts() : impl_(std::make_unique<Impl>()) {
    if (::pipe2(impl_->wake, O_CLOEXEC | O_NONBLOCK) != 0)
        impl_->wake[0] = impl_->wake[1] = -1;
}

ConnectAttempts::~ConnectAttempts() {
    for (const auto& attempt : impl_->attempts)
        if (attempt.socket >= 0)
            ::close(attempt.socket);
    for (const int end : impl_->wake)
        if (end >= 0)
            ::close(end);
}

bool ConnectAttempts::start(std::size_t tag, const std::string& host, std::int32_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (port < 0 || port > 65535 || ::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1)
        return false;
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket < 0)
        return false;
    const int status =
        ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (status != 0 && errno != EINPROGRESS) {
        ::close(socket); // refused or unreachable at once
        return false;
    }
    impl_->attempts.push_back({tag, socket});
    return true;
}

bool ConnectAttempts::pending() const {
    for (const auto& attempt : impl_->attempts)
        if (attempt.socket >= 0)
            return true;
    return false;
}

std::vector<ConnectAttempts::Finished> ConnectAttempts::wait() {
    std::vector<Finished> finished;
    std::vector<pollfd> watched;
    std::vector<std::size_t> owner;
    for (std::size_t a = 0; a < impl_->attempts.size(); ++a) {
        if (impl_->attempts[a].socket < 0)
            continue;
        watched.push_back({impl_->attempts[a].socket, POLLOUT, 0});
        owner.push_back(a);
    }
    if (watched.empty() || impl_->interrupted)
        return finished;
    watched.push_back({impl_->wake[0], POLLIN, 0});
    while (::poll(watched.data(), watched.size(), -1) < 0) {
        if (errno != EINTR)
            return finished;
    }
    if (impl_->interrupted)
        return finished;
    for (std::size_t w = 0; w + 1 < watched.size(); ++w) {
        if (watched[w].revents == 0)
            continue;
        auto& attempt = impl_->attempts[owner[w]];
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(attempt.socket, SOL_SOCKET, SO_ERROR, &error, &length);
        ::close(attempt.socket);
        attempt.socket = -1;
        finished.push_back({attempt.tag, error == 0});
    }
    return finished;
}

void ConnectAttempts::interrupt() {
    impl_->interrupted = true;
    const char one = 1;
    [[maybe_unused]] const auto written = ::write(impl_->wake[1], &one, 1);
}

} // namespace launcher::platform
