#pragma once

#include "config/config_records.h"
#include "platform/event_loop.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace launcher {

class HttpClient;
class tDebugFile;

inline constexpr std::string_view kProbeFileName = "updater.lst.vdp";
inline constexpr std::int64_t kProbeTimeLimitMs = 1000;

// Sends the HEAD request that tells whether an update server is there and
// how fast it answers.
class ServerProbe {
public:
    virtual ~ServerProbe() = default;
    // The probe time in whole milliseconds, or none when the request did not
    // succeed (connection failure, error status, no answer for a whole stall
    // period). With a time limit, a request still running when the limit has
    // passed is abandoned and reported as taking the limit: it can no longer
    // be the fastest.
    virtual std::optional<std::int64_t> Head(const std::string& url,
                                             std::optional<std::int64_t> time_limit_ms) = 0;
};

// The real probe: one HTTP client for all probes of one selection. The
// request runs on a helper thread while the interface thread keeps
// processing its loop, so the window stays responsive.
class HttpServerProbe final : public ServerProbe {
public:
    explicit HttpServerProbe(platform::EventLoop& loop);
    ~HttpServerProbe() override;
    HttpServerProbe(const HttpServerProbe&) = delete;
    HttpServerProbe& operator=(const HttpServerProbe&) = delete;

    std::optional<std::int64_t> Head(const std::string& url,
                                     std::optional<std::int64_t> time_limit_ms) override;

private:
    platform::EventLoop& loop_;
    std::unique_ptr<HttpClient> client_;
};

// The update servers to use, best first: the only one without a probe;
// otherwise every entry is probed and entries whose probe fails are removed
// from `servers`. With `UsePing` the servers that answered, fastest first
// (a server slower than 1000 ms is probed again without the limit when none
// was faster, so a slow link still gets its update); with `RandomSelect` a
// random one that answered, then the others; otherwise those that answered
// in configuration order. When every probe failed, the first configured
// entry alone. Empty only when no server is configured.
std::vector<std::string> RankUpdateServers(tUpdateServersRecord& servers, ServerProbe& probe,
                                           std::mt19937& random, tDebugFile* debug_file);

// The first choice of `RankUpdateServers`; empty when there is none.
std::string CheckUpdateServers(tUpdateServersRecord& servers, ServerProbe& probe,
                               std::mt19937& random, tDebugFile* debug_file);

} // namespace launcher
