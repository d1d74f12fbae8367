// The interface thread's event loop on the Win32 message queue: hand-offs
// from workers, timers and the end of the message loop.
#include "app_win32/win32_event_loop.h"

#include <atomic>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

namespace launcher::app {
namespace {

using platform::Milliseconds;

TEST(Win32EventLoop, HandOffsRunOnTheInterfaceThreadAndReturnTheirErrors) {
    Win32EventLoop loop;
    const std::thread::id interface_thread = std::this_thread::get_id();
    std::thread::id ran_on;
    std::atomic<bool> done{false};
    std::string error;
    std::thread worker([&] {
        loop.run_and_wait([&] { ran_on = std::this_thread::get_id(); });
        try {
            loop.run_and_wait([] { throw std::runtime_error("from the handler"); });
        } catch (const std::runtime_error& raised) {
            error = raised.what();
        }
        done = true;
    });
    // Each wait returns once something was processed; a bounded number of
    // them must be enough for two hand-offs.
    for (int wait = 0; wait < 1000 && !done; ++wait)
        loop.process_pending(Milliseconds(1000));
    worker.join();
    EXPECT_EQ(ran_on, interface_thread);
    EXPECT_EQ(error, "from the handler");
    EXPECT_TRUE(loop.is_interface_thread());
}

TEST(Win32EventLoop, ATimerStoppedInItsTickTicksNoMoreAndIsNotReentered) {
    Win32EventLoop loop;
    int ticks = 0;
    int depth = 0;
    int deepest = 0;
    platform::EventLoop::TimerId timer = 0;
    timer = loop.start_timer(Milliseconds(10), [&] {
        ++ticks;
        ++depth;
        deepest = std::max(deepest, depth);
        // A tick that waits inside itself, as the workflow's waits do.
        loop.process_pending(Milliseconds(30));
        if (ticks == 3)
            loop.stop_timer(timer);
        --depth;
    });
    for (int wait = 0; wait < 1000 && ticks < 3; ++wait)
        loop.process_pending(Milliseconds(1000));
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(deepest, 1);
    // A stopped timer's messages that were already queued run nothing.
    for (int wait = 0; wait < 5; ++wait)
        loop.process_pending(Milliseconds(20));
    EXPECT_EQ(ticks, 3);
    loop.stop_timer(timer); // stopping again is harmless
}

TEST(Win32EventLoop, QuitFromANestedWaitEndsTheMessageLoopWithItsCode) {
    Win32EventLoop loop;
    bool nested_saw_quit = false;
    const platform::EventLoop::TimerId timer = loop.start_timer(Milliseconds(10), [&] {
        loop.Quit(7);
        loop.process_pending(Milliseconds(1000));
        nested_saw_quit = loop.quitting();
    });
    EXPECT_EQ(loop.Run(), 7);
    EXPECT_TRUE(nested_saw_quit);
    loop.stop_timer(timer);
}

} // namespace
} // namespace launcher::app
