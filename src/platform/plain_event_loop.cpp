#include "platform/plain_event_loop.h"

#include <exception>
#include <vector>

namespace launcher::platform {

struct PlainEventLoop::HandOff {
    Task task;
    bool done = false;
    std::exception_ptr error;
    std::condition_variable finished;
};

PlainEventLoop::PlainEventLoop(Clock& clock)
    : clock_(clock), interface_thread_(std::this_thread::get_id()) {
    clock_.attach(wake_, mutex_);
}

PlainEventLoop::PlainEventLoop()
    : own_clock_(std::make_unique<SteadyClock>()), clock_(*own_clock_),
      interface_thread_(std::this_thread::get_id()) {}

PlainEventLoop::~PlainEventLoop() {
    if (!own_clock_)
        clock_.detach(wake_);
}

bool PlainEventLoop::is_interface_thread() const {
    return std::this_thread::get_id() == interface_thread_;
}

void PlainEventLoop::run_and_wait(Task task) {
    if (is_interface_thread()) {
        task();
        return;
    }
    auto hand_off = std::make_shared<HandOff>();
    hand_off->task = std::move(task);
    std::unique_lock lock(mutex_);
    hand_offs_.push_back(hand_off);
    wake_.notify_all();
    hand_off->finished.wait(lock, [&] { return hand_off->done; });
    if (hand_off->error)
        std::rethrow_exception(hand_off->error);
}

bool PlainEventLoop::run_hand_offs() {
    std::deque<std::shared_ptr<HandOff>> batch;
    {
        std::lock_guard guard(mutex_);
        batch.swap(hand_offs_);
    }
    for (auto& hand_off : batch) {
        std::exception_ptr error;
        try {
            hand_off->task();
        } catch (...) {
            error = std::current_exception();
        }
        std::lock_guard guard(mutex_);
        hand_off->error = error;
        hand_off->done = true;
        hand_off->finished.notify_all();
    }
    return !batch.empty();
}

bool PlainEventLoop::run_due_timers() {
    const TimePoint now = clock_.now();
    std::vector<TimerId> due;
    for (auto& [id, timer] : timers_)
        if (!timer.running && timer.due <= now)
            due.push_back(id);
    for (TimerId id : due) {
        auto found = timers_.find(id);
        // An earlier tick may have stopped this timer, or run it from a nested wait.
        if (found == timers_.end() || found->second.running || found->second.due > now)
            continue;
        found->second.due = now + found->second.period;
        found->second.running = true;
        auto on_tick =
            found->second.on_tick; // keeps the callable alive if the tick stops its timer
        (*on_tick)();
        found = timers_.find(id);
        if (found != timers_.end())
            found->second.running = false;
    }
    return !due.empty();
}

TimePoint PlainEventLoop::next_timer_due(TimePoint fallback) const {
    TimePoint next = fallback;
    for (const auto& [id, timer] : timers_)
        if (!timer.running && timer.due < next)
            next = timer.due;
    return next;
}

void PlainEventLoop::process_pending(Milliseconds max_wait) {
    const TimePoint deadline = clock_.now() + max_wait;
    for (;;) {
        bool worked = run_hand_offs();
        worked = run_due_timers() || worked;
        if (worked || clock_.now() >= deadline)
            return;
        std::unique_lock lock(mutex_);
        clock_.wait_until(wake_, lock, next_timer_due(deadline),
                          [&] { return !hand_offs_.empty(); });
    }
}

PlainEventLoop::TimerId PlainEventLoop::start_timer(Milliseconds period, Task on_tick) {
    const TimerId id = next_timer_id_++;
    timers_.emplace(
        id, Timer{period, clock_.now() + period, std::make_shared<Task>(std::move(on_tick))});
    return id;
}

void PlainEventLoop::stop_timer(TimerId id) {
    timers_.erase(id);
}

} // namespace launcher::platform
