#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace launcher::platform {

using Milliseconds = std::chrono::milliseconds;
using TimePoint = std::chrono::steady_clock::time_point;

// The time source of the interface thread's timers and waits. Production code
// uses SteadyClock; tests use ManualClock so that long periods (stall
// watchdogs, probe time-outs) pass in virtual time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;

    // Blocks on `cv` (whose mutex `lock` holds) until `ready()` is true or
    // this clock reaches `deadline`. Returns `ready()`.
    virtual bool wait_until(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
                            TimePoint deadline, const std::function<bool()>& ready) = 0;

    // Wakes every waiter so it re-checks its deadline (after a clock jump).
    void attach(std::condition_variable& cv, std::mutex& mutex);
    void detach(std::condition_variable& cv);

protected:
    void notify_waiters();

private:
    std::mutex waiters_mutex_;
    std::vector<std::pair<std::condition_variable*, std::mutex*>> waiters_;
};

class SteadyClock final : public Clock {
public:
    TimePoint now() const override { return std::chrono::steady_clock::now(); }
    bool wait_until(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
                    TimePoint deadline, const std::function<bool()>& ready) override;
};

// Virtual time that moves only when told to. `advance` may be called from any
// thread; waiters whose deadline it passes wake up. With auto-advance on, a
// waiter that finds nothing ready for `idle_grace` of real time jumps the
// clock straight to its deadline, so a test of a 20 s time-out takes
// milliseconds while still letting real worker threads hand work over first.
class ManualClock final : public Clock {
public:
    explicit ManualClock(TimePoint start = TimePoint{} + std::chrono::hours(1));

    TimePoint now() const override;
    void advance(Milliseconds by);
    void set_auto_advance(bool on, Milliseconds idle_grace = Milliseconds(20));

    bool wait_until(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
                    TimePoint deadline, const std::function<bool()>& ready) override;

private:
    mutable std::mutex mutex_;
    TimePoint now_;
    bool auto_advance_ = false;
    Milliseconds idle_grace_{20};
};

} // namespace launcher::platform
