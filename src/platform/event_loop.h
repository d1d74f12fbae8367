#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <functional>

namespace launcher::platform {

// The interface thread's event loop. Everything that touches shared state runs
// on the interface thread; workers hand their steps to it synchronously with
// `run_and_wait`, and every wait on the interface thread keeps processing
// hand-offs and timers through `process_pending`, so handlers can run in the
// middle of a long operation without locks.
class EventLoop {
public:
    using Task = std::function<void()>;
    using TimerId = std::uint64_t;

    virtual ~EventLoop() = default;

    // Runs `task` on the interface thread and returns when it has run. Called
    // on the interface thread itself, the task runs at once.
    virtual void run_and_wait(Task task) = 0;

    // On the interface thread: runs the pending hand-offs and due timers. When
    // nothing is pending it blocks (without spinning) until something is or
    // until `max_wait` has passed on the loop's clock.
    virtual void process_pending(Milliseconds max_wait) = 0;

    // A periodic timer on the interface thread; the first tick comes one
    // period after the start. Stopping an unknown or stopped timer is a no-op.
    virtual TimerId start_timer(Milliseconds period, Task on_tick) = 0;
    virtual void stop_timer(TimerId id) = 0;

    virtual Clock& clock() = 0;
    virtual bool is_interface_thread() const = 0;
};

} // namespace launcher::platform
