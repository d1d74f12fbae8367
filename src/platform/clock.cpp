#include "platform/clock.h"

#include <algorithm>

namespace launcher::platform {

void Clock::attach(std::condition_variable& cv, std::mutex& mutex) {
    std::lock_guard guard(waiters_mutex_);
    waiters_.emplace_back(&cv, &mutex);
}

void Clock::detach(std::condition_variable& cv) {
    std::lock_guard guard(waiters_mutex_);
    std::erase_if(waiters_, [&](const auto& waiter) { return waiter.first == &cv; });
}

void Clock::notify_waiters() {
    std::lock_guard guard(waiters_mutex_);
    for (auto& [cv, mutex] : waiters_) {
        // Taking the waiter's mutex orders the notification after its
        // deadline check, so the wake-up cannot be lost.
        std::lock_guard waiter_guard(*mutex);
        cv->notify_all();
    }
}

bool SteadyClock::wait_until(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
                             TimePoint deadline, const std::function<bool()>& ready) {
    return cv.wait_until(lock, deadline, ready);
}

ManualClock::ManualClock(TimePoint start) : now_(start) {}

TimePoint ManualClock::now() const {
    std::lock_guard guard(mutex_);
    return now_;
}

void ManualClock::advance(Milliseconds by) {
    {
        std::lock_guard guard(mutex_);
        now_ += by;
    }
    notify_waiters();
}

void ManualClock::set_auto_advance(bool on, Milliseconds idle_grace) {
    std::lock_guard guard(mutex_);
    auto_advance_ = on;
    idle_grace_ = idle_grace;
}

bool ManualClock::wait_until(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
                             TimePoint deadline, const std::function<bool()>& ready) {
    while (!ready() && now() < deadline) {
        bool auto_advance = false;
        Milliseconds grace{};
        {
            std::lock_guard guard(mutex_);
            auto_advance = auto_advance_;
            grace = idle_grace_;
        }
        if (!auto_advance) {
            // Real time does not count here; `advance` wakes us through notify_waiters.
            cv.wait_for(lock, Milliseconds(50));
            continue;
        }
        if (cv.wait_for(lock, grace, ready))
            return true;
        std::lock_guard guard(mutex_);
        now_ = std::max(now_, deadline);
    }
    return ready();
}

} // namespace launcher::platform
