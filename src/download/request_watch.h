#pragma once

#include "download/http_client.h"
#include "download/task_thread.h"
#include "download/transfer_pace.h"
#include "platform/event_loop.h"

#include <optional>
#include <string>

namespace launcher {

// Abandons the request `client` is making on another thread when no byte of
// an answer (status line, headers or body) arrives for a whole stall period
// of the interface thread's clock, or too few for a whole slow window; a
// request that never connects makes no progress either. Lives on the
// interface thread, for one request.
class StallWatch {
public:
    StallWatch(platform::EventLoop& loop, HttpClient& client);
    ~StallWatch();
    StallWatch(const StallWatch&) = delete;
    StallWatch& operator=(const StallWatch&) = delete;

    // The request was abandoned as stalled.
    bool Fired() const { return fired_; }

private:
    void on_tick();

    platform::EventLoop& loop_;
    HttpClient& client_;
    TransferPace pace_;
    bool fired_ = false;
    std::optional<platform::EventLoop::TimerId> timer_;
};

// How a request abandoned for stalling ended: "no answer for 20 seconds".
HttpOutcome StalledOutcome();

struct HeadOutcome {
    HttpHeadResult result;
    bool stalled = false;              // abandoned after a stall period without progress
    bool over_time_limit = false;      // abandoned when the caller's time limit passed
    platform::Milliseconds elapsed{0}; // on the interface thread's clock
};

// Sends HEAD `url` through `client` on a helper thread while the interface
// thread keeps processing its loop, so the window stays responsive. The
// request is abandoned when it stalls for a whole stall period, and when
// `time_limit` is given, once it has taken that long. Interface thread only.
// With `thread` the request runs there instead of on a new thread.
HeadOutcome HeadWhileProcessing(platform::EventLoop& loop, HttpClient& client,
                                const std::string& url,
                                std::optional<platform::Milliseconds> time_limit = std::nullopt,
                                TaskThread* thread = nullptr);

} // namespace launcher
