#include "download/request_watch.h"

#include "platform/terminate_flag.h"

#include <system_error>
#include <thread>

namespace launcher {
namespace {

constexpr platform::Milliseconds kWaitSlice{1000};

} // namespace

StallWatch::StallWatch(platform::EventLoop& loop, HttpClient& client)
    : loop_(loop), client_(client), pace_(loop.clock().now(), client.activity()) {
    timer_ = loop_.start_timer(kPaceTick, [this] { on_tick(); });
}

StallWatch::~StallWatch() {
    if (timer_)
        loop_.stop_timer(*timer_);
}

void StallWatch::on_tick() {
    if (pace_.observe(loop_.clock().now(), client_.activity()) == TransferPace::Verdict::Moving)
        return;
    fired_ = true;
    loop_.stop_timer(*timer_);
    timer_.reset();
    client_.abort();
}

HttpOutcome StalledOutcome() {
    return HttpOutcome{false, 0,
                       "no answer for " + std::to_string(kStallPeriod.count() / 1000) + " seconds"};
}

HeadOutcome HeadWhileProcessing(platform::EventLoop& loop, HttpClient& client,
                                const std::string& url,
                                std::optional<platform::Milliseconds> time_limit,
                                TaskThread* thread) {
    HeadOutcome outcome;
    const platform::TimePoint start_time = loop.clock().now();
    client.clear_abort();
    StallWatch watch(loop, client);
    std::optional<platform::EventLoop::TimerId> limit;
    if (time_limit) {
        limit = loop.start_timer(*time_limit, [&] {
            loop.stop_timer(*limit);
            outcome.over_time_limit = true;
            client.abort();
        });
    }

    bool answered = false;
    const auto send = [&] {
        HttpHeadResult result = client.head(url);
        loop.run_and_wait([&] {
            outcome.result = std::move(result);
            answered = true;
        });
    };
    std::thread request;
    bool started = false;
    if (thread) {
        started = thread->run(send);
    } else {
        try {
            request = std::thread(send);
            started = true;
        } catch (const std::system_error&) {
        }
    }
    if (!started) {
        outcome.result.outcome.error = "the system could not start a thread";
        answered = true;
    }
    while (!answered) {
        platform::end_process_if_terminated();
        loop.process_pending(kWaitSlice);
    }
    if (request.joinable())
        request.join();
    platform::end_process_if_terminated();
    if (limit)
        loop.stop_timer(*limit);
    outcome.stalled = watch.Fired();
    outcome.elapsed =
        std::chrono::duration_cast<platform::Milliseconds>(loop.clock().now() - start_time);
    if (outcome.stalled)
        outcome.result.outcome = StalledOutcome();
    return outcome;
}

} // namespace launcher
