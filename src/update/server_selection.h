#pragma once

#include "config/config_records.h"
#include "platform/event_loop.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <string>

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

// Chooses the update server: the only one without a probe; otherwise every
// entry is probed, entries whose probe fails are removed from `servers`, and
// the fastest answer under 1000 ms (`UsePing`), a random survivor
// (`RandomSelect`) or the first configured entry is returned. Empty when
// there is no server, or when `UsePing` found none fast enough.
std::string CheckUpdateServers(tUpdateServersRecord& servers, ServerProbe& probe,
                               std::mt19937& random, tDebugFile* debug_file);

} // namespace launcher
