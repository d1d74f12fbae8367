#include "launch/proxy_probe.h"

#include "launch/proxy_entry.h"
#include "platform/terminate_flag.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace launcher {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

struct Attempt {
    std::size_t index;
    FileDescriptor socket;
};

// Starts a non-blocking connection to a dotted IPv4 address. Host names and
// malformed addresses never connect: they give no attempt.
std::optional<FileDescriptor> start_attempt(const std::string& host, std::int32_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (port < 0 || port > 65535 || ::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1)
        return std::nullopt;
    FileDescriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (socket.get() < 0)
        return std::nullopt;
    const int status =
        ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (status != 0 && errno != EINPROGRESS)
        return std::nullopt; // refused or unreachable at once
    return socket;
}

} // namespace

std::string ProxyProbe::CheckProxyServers(const std::vector<std::string>& list, std::int32_t port,
                                          std::int32_t& ProxyIdx) {
    if (list.empty())
        return {};

    std::vector<Attempt> attempts;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (auto socket = start_attempt(ParseProxyEntry(list[i]).host, port))
            attempts.push_back({i, std::move(*socket)});

    ProxyIdx = -1;
    const auto started = loop_.clock().now();

    // The socket layer: one thread waits for the attempts to complete and
    // hands each connection to the interface thread. It only reads the
    // attempts; `ProxyIdx` is written on the interface thread alone.
    FileDescriptor wake(::eventfd(0, EFD_CLOEXEC));
    std::atomic<bool> stop{false};
    std::mutex done_mutex;
    std::condition_variable done_signal;
    bool watcher_done = false;
    std::thread watcher([&] {
        std::vector<pollfd> fds;
        std::vector<std::size_t> owner;
        for (std::size_t a = 0; a < attempts.size(); ++a) {
            fds.push_back({attempts[a].socket.get(), POLLOUT, 0});
            owner.push_back(a);
        }
        fds.push_back({wake.get(), POLLIN, 0});
        std::size_t open = attempts.size();
        while (!stop && open > 0) {
            if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
                break;
            for (std::size_t f = 0; f + 1 < fds.size(); ++f) {
                if (fds[f].fd < 0 || fds[f].revents == 0)
                    continue;
                int error = 0;
                socklen_t length = sizeof error;
                ::getsockopt(fds[f].fd, SOL_SOCKET, SO_ERROR, &error, &length);
                fds[f].fd = -1; // one event per attempt
                --open;
                if (error == 0 && !stop) {
                    const auto index = static_cast<std::int32_t>(attempts[owner[f]].index);
                    loop_.run_and_wait([&, index] {
                        if (!stop)
                            ProxyIdx = index;
                    });
                }
                // Failed attempts are swallowed: that proxy never answers.
            }
        }
        std::lock_guard guard(done_mutex);
        watcher_done = true;
        done_signal.notify_all();
    });

    while (ProxyIdx < 0) {
        const auto elapsed = loop_.clock().now() - started;
        if (elapsed >= kProxyProbeTimeLimit)
            break;
        loop_.process_pending(
            std::chrono::duration_cast<platform::Milliseconds>(kProxyProbeTimeLimit - elapsed));
        platform::end_process_if_terminated();
    }

    // Abandon the attempts still pending.
    stop = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wake.get(), &one, sizeof one);
    // Hand-offs the watcher makes on its way out still run here; the wait
    // is on real time, so virtual time stands still while the thread ends.
    for (;;) {
        loop_.process_pending(platform::Milliseconds(0));
        std::unique_lock lock(done_mutex);
        if (done_signal.wait_for(lock, std::chrono::milliseconds(1), [&] { return watcher_done; }))
            break;
    }
    watcher.join();

    return ProxyIdx >= 0 ? list[static_cast<std::size_t>(ProxyIdx)] : std::string();
}

} // namespace launcher
