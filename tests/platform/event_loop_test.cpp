#include "platform/plain_event_loop.h"

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace launcher::platform {
namespace {

using namespace std::chrono_literals;

TEST(PlainEventLoopTest, RunAndWaitFromAWorkerRunsOnTheInterfaceThread) {
    PlainEventLoop loop;
    const auto interface_thread = std::this_thread::get_id();
    std::atomic<bool> worker_done{false};
    std::thread::id ran_on;
    std::thread worker([&] {
        loop.run_and_wait([&] { ran_on = std::this_thread::get_id(); });
        worker_done = true;
    });
    while (!worker_done)
        loop.process_pending(1000ms);
    worker.join();
    EXPECT_EQ(ran_on, interface_thread);
}

TEST(PlainEventLoopTest, RunAndWaitOnTheInterfaceThreadRunsAtOnce) {
    PlainEventLoop loop;
    bool ran = false;
    loop.run_and_wait([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(PlainEventLoopTest, AnErrorOfAHandOffReachesTheWorker) {
    PlainEventLoop loop;
    std::atomic<bool> caught{false};
    std::thread worker([&] {
        try {
            loop.run_and_wait([] { throw std::runtime_error("boom"); });
        } catch (const std::runtime_error&) {
            caught = true;
        }
    });
    while (!caught)
        loop.process_pending(100ms);
    worker.join();
}

TEST(PlainEventLoopTest, AWorkerGetsItsOutcomeWhetherItsHandOffRunsAtOnceOrLate) {
    // A late interface thread lets the worker give up its short wait and
    // sleep; the outcome must reach it either way.
    for (const bool late : {false, true}) {
        for (const bool fails : {false, true}) {
            PlainEventLoop loop;
            const auto interface_thread = std::this_thread::get_id();
            std::thread::id ran_on;
            std::atomic<bool> returned{false};
            std::atomic<bool> caught{false};
            std::thread worker([&] {
                try {
                    loop.run_and_wait([&] {
                        ran_on = std::this_thread::get_id();
                        if (fails)
                            throw std::runtime_error("boom");
                    });
                    returned = true;
                } catch (const std::runtime_error&) {
                    caught = true;
                }
            });
            if (late)
                std::this_thread::sleep_for(20ms);
            while (!returned && !caught)
                loop.process_pending(100ms);
            worker.join();
            EXPECT_EQ(ran_on, interface_thread) << late << fails;
            EXPECT_EQ(returned.load(), !fails) << late << fails;
            EXPECT_EQ(caught.load(), fails) << late << fails;
        }
    }
}

TEST(PlainEventLoopTest, TimersTickInVirtualTime) {
    ManualClock clock;
    PlainEventLoop loop(clock);
    int ticks = 0;
    const auto timer = loop.start_timer(20000ms, [&] { ++ticks; });
    clock.advance(19999ms);
    loop.process_pending(0ms);
    EXPECT_EQ(ticks, 0);
    clock.advance(1ms);
    loop.process_pending(0ms);
    EXPECT_EQ(ticks, 1);
    clock.advance(20000ms);
    loop.process_pending(0ms);
    EXPECT_EQ(ticks, 2);
    loop.stop_timer(timer);
    clock.advance(60000ms);
    loop.process_pending(0ms);
    EXPECT_EQ(ticks, 2);
    loop.stop_timer(timer); // stopping twice is harmless
}

TEST(PlainEventLoopTest, AutoAdvancingClockReachesTheNextTimerWithoutRealWaiting) {
    ManualClock clock;
    clock.set_auto_advance(true, 1ms);
    PlainEventLoop loop(clock);
    const auto start = clock.now();
    bool fired = false;
    loop.start_timer(5000ms, [&] { fired = true; });
    loop.process_pending(60000ms);
    EXPECT_TRUE(fired);
    EXPECT_EQ(clock.now() - start, 5000ms);
}

TEST(PlainEventLoopTest, BoundedWaitEndsAtItsDeadlineWhenNothingHappens) {
    ManualClock clock;
    clock.set_auto_advance(true, 1ms);
    PlainEventLoop loop(clock);
    const auto start = clock.now();
    loop.process_pending(250ms);
    EXPECT_EQ(clock.now() - start, 250ms);
}

TEST(PlainEventLoopTest, ManualAdvanceFromAnotherThreadWakesTheWait) {
    ManualClock clock;
    PlainEventLoop loop(clock);
    bool fired = false;
    loop.start_timer(20000ms, [&] { fired = true; });
    std::thread driver([&] { clock.advance(20000ms); });
    while (!fired)
        loop.process_pending(30000ms);
    driver.join();
}

TEST(PlainEventLoopTest, ATickMayStopItsOwnTimerAndNestWaits) {
    ManualClock clock;
    PlainEventLoop loop(clock);
    std::vector<int> order;
    PlainEventLoop::TimerId self = 0;
    self = loop.start_timer(10ms, [&] {
        order.push_back(1);
        loop.stop_timer(self);
        loop.process_pending(0ms); // a handler that waits keeps other work flowing
    });
    loop.start_timer(10ms, [&] { order.push_back(2); });
    clock.advance(10ms);
    loop.process_pending(0ms);
    clock.advance(10ms);
    loop.process_pending(0ms);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 2}));
}

TEST(PlainEventLoopTest, ManyWorkersHandOffConcurrently) {
    PlainEventLoop loop;
    constexpr int kWorkers = 8;
    constexpr int kSteps = 200;
    int total = 0; // touched only on the interface thread
    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w)
        workers.emplace_back([&] {
            for (int s = 0; s < kSteps; ++s)
                loop.run_and_wait([&] { ++total; });
            ++finished;
        });
    while (finished < kWorkers)
        loop.process_pending(100ms);
    for (auto& worker : workers)
        worker.join();
    EXPECT_EQ(total, kWorkers * kSteps);
}

} // namespace
} // namespace launcher::platform
