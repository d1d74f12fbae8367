#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace launcher::platform {

// Non-blocking TCP connection attempts to IPv4 addresses, all under way at
// once and watched together (poll on POSIX systems; Winsock non-blocking
// connects seen through select on Windows). No data is ever sent. Closing
// the object abandons the attempts still pending.
class ConnectAttempts {
public:
    struct Finished {
        std::size_t tag;
        bool connected; // false: refused, unreachable, or any other failure
    };

    ConnectAttempts();
    ~ConnectAttempts();
    ConnectAttempts(const ConnectAttempts&) = delete;
    ConnectAttempts& operator=(const ConnectAttempts&) = delete;

    // Starts an attempt to `host` (dotted-decimal IPv4; names are not looked
    // up) at `port`, known by `tag`. False when it cannot start or fails at
    // once: a host that is no such address, a port out of range, a refusal
    // the system reports straight away.
    bool start(std::size_t tag, const std::string& host, std::int32_t port);

    // Whether attempts are still under way.
    bool pending() const;

    // Blocks until attempts finish and returns them (each attempt once), or
    // returns nothing when `interrupt` was called or none is pending.
    std::vector<Finished> wait();

    // Makes a `wait` on another thread return at once; later waits return at
    // once too. May be called from any thread.
    void interrupt();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace launcher::platform
