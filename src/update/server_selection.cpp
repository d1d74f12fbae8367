#include "update/server_selection.h"

#include "config/debug_file.h"
#include "download/http_client.h"
#include "platform/terminate_flag.h"
#include "platform/text.h"

#include <chrono>
#include <thread>

namespace launcher {
namespace {
constexpr platform::Milliseconds kWaitSlice{1000};
}

HttpServerProbe::HttpServerProbe(platform::EventLoop& loop)
    : loop_(loop), client_(std::make_unique<HttpClient>()) {}

HttpServerProbe::~HttpServerProbe() = default;

std::optional<std::int64_t> HttpServerProbe::Head(const std::string& url) {
    const auto started = std::chrono::steady_clock::now();
    HttpHeadResult result;
    bool answered = false;
    std::thread request([&] {
        HttpHeadResult outcome = client_->head(url);
        loop_.run_and_wait([&] {
            result = outcome;
            answered = true;
        });
    });
    while (!answered) {
        platform::end_process_if_terminated();
        loop_.process_pending(kWaitSlice);
    }
    request.join();
    platform::end_process_if_terminated();
    if (!result.outcome.ok)
        return std::nullopt;
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 started)
        .count();
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
        const auto time = probe.Head(normalise_url(s + std::string(kProbeFileName)));
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
