#include "platform/plain_event_loop.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <vector>

namespace launcher::platform {

namespace {

// How long a worker keeps checking for the end of its hand-off before it
// goes to sleep. Waking a sleeping interface thread and running a short task
// there takes some 10 to 20 microseconds, so a worker that waits this long
// awake is usually released without a second sleep and wake-up of its own;
// the bound keeps a slow task from costing more than a little processor time.
constexpr auto kHandOffSpin = std::chrono::microseconds(50);

} // namespace

struct PlainEventLoop::HandOff {
    Task task;
    std::exception_ptr error; // written before `done` is set
    std::atomic<bool> done{false};
    bool sleeping = false; // the worker waits on `finished`; guarded by the loop's mutex
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
    {
        std::lock_guard guard(mutex_);
        hand_offs_.push_back(hand_off);
    }
    // Notified after unlocking, so the interface thread does not wake up
    // only to block on the mutex this thread still holds.
    wake_.notify_all();
    const auto finished = [&] { return hand_off->done.load(std::memory_order_acquire); };
    const auto spin_end = std::chrono::steady_clock::now() + kHandOffSpin;
    while (!finished() && std::chrono::steady_clock::now() < spin_end)
        std::this_thread::yield(); // lets the interface thread run if it shares this processor
    if (!finished()) {
        std::unique_lock lock(mutex_);
        hand_off->sleeping = true;
        hand_off->finished.wait(lock, finished);
    }
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
        hand_off->error = error;
        bool sleeping = false;
        {
            std::lock_guard guard(mutex_);
            hand_off->done.store(true, std::memory_order_release);
            sleeping = hand_off->sleeping;
        }
        // `batch` keeps the hand-off alive until the notification is made.
        if (sleeping)
            hand_off->finished.notify_one();
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
