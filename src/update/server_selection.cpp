#include "update/server_selection.h"

#include "config/debug_file.h"
#include "download/http_client.h"
#include "download/request_watch.h"
#include "platform/text.h"

namespace launcher {

HttpServerProbe::HttpServerProbe(platform::EventLoop& loop)
    : loop_(loop), client_(std::make_unique<HttpClient>()) {}

HttpServerProbe::~HttpServerProbe() = default;

std::optional<std::int64_t> HttpServerProbe::Head(const std::string& url,
                                                  std::optional<std::int64_t> time_limit_ms) {
    std::optional<platform::Milliseconds> limit;
    if (time_limit_ms)
        limit = platform::Milliseconds(*time_limit_ms);
    const HeadOutcome head = HeadWhileProcessing(loop_, *client_, url, limit);
    if (head.over_time_limit)
        return *time_limit_ms;
    if (!head.result.outcome.ok)
        return std::nullopt;
    return head.elapsed.count();
}

std::string CheckUpdateServers(tUpdateServersRecord& servers, ServerProbe& probe,
                               std::mt19937& random, tDebugFile* debug_file) {
    auto& list = servers.Servers;
    if (list.empty())
        return {};
    std::string result = list.front();
    if (list.size() < 2)
        return result;

    std::int64_t best = kProbeTimeLimitMs;
    std::string chosen;
    std::size_t i = 0;
    while (i < list.size()) {
        std::string s = platform::trim(list[i]);
        if (s.empty()) {
            ++i;
            continue;
        }
        if (s.back() != '\\')
            s += '\\';
        const auto time = probe.Head(
            normalise_url(s + std::string(kProbeFileName)),
            servers.UsePing ? std::optional<std::int64_t>(kProbeTimeLimitMs) : std::nullopt);
        if (!time) {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        if (*time < best) {
            chosen = list[i];
            best = *time;
        }
        ++i;
    }

    if (list.empty())
        return result;
    if (servers.UsePing) {
        result = chosen;
    } else if (servers.RandomSelect) {
        std::uniform_int_distribution<std::size_t> pick(0, list.size() - 1);
        result = list[pick(random)];
    } else {
        return result;
    }
    if (debug_file)
        debug_file->WriteErr("Selected server: " + result);
    return result;
}

} // namespace launcher
