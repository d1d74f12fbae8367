#pragma once

#include "platform/event_loop.h"

#include <cstdint>
#include <string>
#include <vector>

namespace launcher {

inline constexpr platform::Milliseconds kProxyProbeTimeLimit{5000};

// Probes game proxies with plain TCP connection attempts, all at once, and
// takes the first that accepts. The attempts are non-blocking; their
// completions reach the interface thread as events of its loop, and the wait
// is the loop's own (blocking, bounded by its clock).
class ProxyProbe {
public:
    explicit ProxyProbe(platform::EventLoop& loop) : loop_(loop) {}

    // Returns the entry of `list` whose host accepted a connection at `port`
    // within 5,000 ms, or an empty text. `ProxyIdx` is -1 during the probe and
    // then the winner's position in `list`, counted from 0.
    std::string CheckProxyServers(const std::vector<std::string>& list, std::int32_t port,
                                  std::int32_t& ProxyIdx);

private:
    platform::EventLoop& loop_;
};

} // namespace launcher
