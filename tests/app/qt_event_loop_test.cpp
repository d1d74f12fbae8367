#include "app/qt_event_loop.h"

#include <atomic>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

namespace launcher::app {
namespace {

using platform::Milliseconds;

// Waits on the interface thread, processing hand-offs, until `done`.
void pump_until(QtEventLoop& loop, const std::atomic<bool>& done) {
    while (!done)
        loop.process_pending(Milliseconds(50));
}

TEST(QtEventLoopTest, HandOffRunsOnTheInterfaceThreadWhileItWaits) {
    QtEventLoop loop;
    std::thread::id ran_on;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        loop.run_and_wait([&] { ran_on = std::this_thread::get_id(); });
        done = true;
    });
    pump_until(loop, done);
    worker.join();
    EXPECT_EQ(ran_on, std::this_thread::get_id());
}

TEST(QtEventLoopTest, HandOffErrorReachesTheWorker) {
    QtEventLoop loop;
    std::atomic<bool> done{false};
    std::string caught;
    std::thread worker([&] {
        try {
            loop.run_and_wait([] { throw std::runtime_error("step failed"); });
        } catch (const std::runtime_error& error) {
            caught = error.what();
        }
        done = true;
    });
    pump_until(loop, done);
    worker.join();
    EXPECT_EQ(caught, "step failed");
}

TEST(QtEventLoopTest, HandOffOnTheInterfaceThreadRunsAtOnce) {
    QtEventLoop loop;
    bool ran = false;
    loop.run_and_wait([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(loop.is_interface_thread());
}

TEST(QtEventLoopTest, TimerTicksUntilItStopsItself) {
    QtEventLoop loop;
    int ticks = 0;
    platform::EventLoop::TimerId id = 0;
    id = loop.start_timer(Milliseconds(5), [&] {
        if (++ticks == 3)
            loop.stop_timer(id);
    });
    // Enough waits for many periods; the timer must stop at its third tick.
    for (int i = 0; i < 20 && ticks < 3; ++i)
        loop.process_pending(Milliseconds(20));
    for (int i = 0; i < 5; ++i)
        loop.process_pending(Milliseconds(10));
    EXPECT_EQ(ticks, 3);
    loop.stop_timer(id); // already stopped: no effect
    loop.stop_timer(9999);
}

TEST(QtEventLoopTest, TickThatWaitsIsNotReenteredByItsOwnTimer) {
    QtEventLoop loop;
    int depth = 0;
    int deepest = 0;
    int ticks = 0;
    platform::EventLoop::TimerId id = 0;
    id = loop.start_timer(Milliseconds(2), [&] {
        ++ticks;
        ++depth;
        deepest = std::max(deepest, depth);
        for (int i = 0; i < 5; ++i)
            loop.process_pending(Milliseconds(5));
        --depth;
        if (ticks == 2)
            loop.stop_timer(id);
    });
    while (ticks < 2)
        loop.process_pending(Milliseconds(20));
    EXPECT_EQ(deepest, 1);
}

TEST(QtEventLoopTest, WaitWithNothingPendingReturns) {
    QtEventLoop loop;
    loop.process_pending(Milliseconds(0));
    loop.process_pending(Milliseconds(10));
    SUCCEED();
}

} // namespace
} // namespace launcher::app
