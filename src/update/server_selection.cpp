#include "update/server_selection.h"

#include "config/debug_file.h"
#include "download/http_client.h"
#include "download/request_watch.h"
#include "platform/text.h"

#include <algorithm>

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

namespace {

struct ProbeResult {
    std::size_t index; // in the list of servers after the removals
    std::int64_t time;
};

std::string probe_address(const std::string& entry) {
    std::string s = platform::trim(entry);
    if (s.empty())
        return s;
    if (s.back() != '\\')
        s += '\\';
    return normalise_url(s + std::string(kProbeFileName));
}

} // namespace

std::vector<std::string> RankUpdateServers(tUpdateServersRecord& servers, ServerProbe& probe,
                                           std::mt19937& random, tDebugFile* debug_file) {
    auto& list = servers.Servers;
    if (list.empty())
        return {};
    const std::string first_configured = list.front();
    if (list.size() < 2)
        return {first_configured};

    const std::optional<std::int64_t> limit =
        servers.UsePing ? std::optional<std::int64_t>(kProbeTimeLimitMs) : std::nullopt;
    std::vector<ProbeResult> answered;
    std::size_t i = 0;
    while (i < list.size()) {
        const std::string address = probe_address(list[i]);
        if (address.empty()) {
            ++i;
            continue;
        }
        const auto time = probe.Head(address, limit);
        if (!time) {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        answered.push_back(ProbeResult{i, *time});
        ++i;
    }
    const auto fast = [](const ProbeResult& r) { return r.time < kProbeTimeLimitMs; };
    if (servers.UsePing && std::none_of(answered.begin(), answered.end(), fast)) {
        // None answered within the limit: the limit only ranks, so the slow
        // ones are asked again with no limit but the stall watch.
        std::vector<ProbeResult> slow;
        std::size_t removed = 0;
        for (const ProbeResult& r : answered) {
            const std::size_t index = r.index - removed;
            if (const auto time = probe.Head(probe_address(list[index]), std::nullopt)) {
                slow.push_back(ProbeResult{index, *time});
            } else {
                list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
                ++removed;
            }
        }
        answered = std::move(slow);
    }
    if (answered.empty())
        return {first_configured};

    if (servers.UsePing) {
        std::stable_sort(
            answered.begin(), answered.end(),
            [](const ProbeResult& a, const ProbeResult& b) { return a.time < b.time; });
    } else if (servers.RandomSelect) {
        std::uniform_int_distribution<std::size_t> pick(0, answered.size() - 1);
        // The chosen one goes first; the others keep their order after it.
        const auto chosen = answered.begin() + static_cast<std::ptrdiff_t>(pick(random));
        std::rotate(answered.begin(), chosen, chosen + 1);
    }
    std::vector<std::string> ranked;
    for (const ProbeResult& r : answered)
        ranked.push_back(list[r.index]);
    if (debug_file)
        debug_file->WriteErr("Selected server: " + ranked.front());
    return ranked;
}

std::string CheckUpdateServers(tUpdateServersRecord& servers, ServerProbe& probe,
                               std::mt19937& random, tDebugFile* debug_file) {
    std::vector<std::string> ranked = RankUpdateServers(servers, probe, random, debug_file);
    return ranked.empty() ? std::string() : std::move(ranked.front());
}

} // namespace launcher
