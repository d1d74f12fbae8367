#pragma once

#include "platform/event_loop.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace launcher::platform {

// The event loop of programs without a window toolkit (the command-line
// launcher, tests). The thread that creates it is its interface thread.
class PlainEventLoop final : public EventLoop {
public:
    explicit PlainEventLoop(Clock& clock);
    PlainEventLoop();
    ~PlainEventLoop() override;
    PlainEventLoop(const PlainEventLoop&) = delete;
    PlainEventLoop& operator=(const PlainEventLoop&) = delete;

    void run_and_wait(Task task) override;
    void process_pending(Milliseconds max_wait) override;
    TimerId start_timer(Milliseconds period, Task on_tick) override;
    void stop_timer(TimerId id) override;
    Clock& clock() override { return clock_; }
    bool is_interface_thread() const override;

private:
    struct HandOff;
    struct Timer {
        Milliseconds period;
        TimePoint due;
        std::shared_ptr<Task> on_tick;
        bool running = false;
    };

    bool run_due_timers();
    bool run_hand_offs();
    TimePoint next_timer_due(TimePoint fallback) const;

    std::unique_ptr<SteadyClock> own_clock_;
    Clock& clock_;
    std::thread::id interface_thread_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<HandOff>> hand_offs_;

    std::map<TimerId, Timer> timers_; // interface thread only
    TimerId next_timer_id_ = 1;
};

} // namespace launcher::platform
