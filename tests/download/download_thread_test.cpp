#include "download/download_test_support.h"
#include "download/download_thread.h"
#include "download/transfer_pace.h"
#include "platform/clock.h"
#include "platform/plain_event_loop.h"
#include "support/fault_server.h"

#include <memory>
#include <thread>

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::Fault;
using testing::FaultServer;
using testing::pump_until;
using testing::Resource;

// A worker driven by the test itself: the test is the interface thread and
// moves virtual time by hand, so every watchdog period is exact.
class DownloadThreadTest : public ::testing::Test {
protected:
    DownloadThreadTest() { server.serve(path, Resource{.body = content}); }

    TDownloadThread& make_worker(std::int64_t first, std::int64_t last, int id = 1) {
        worker = std::make_unique<TDownloadThread>(loop, id, server.url(path), first, last);
        worker->OnSetPos = [this](TDownloadThread& sender) {
            ++set_pos_calls;
            positions.push_back(sender.pos());
        };
        worker->OnComplete = [this](TDownloadThread& sender) {
            EXPECT_TRUE(loop.is_interface_thread());
            EXPECT_EQ(&sender, worker.get());
            ++completions;
        };
        return *worker;
    }

    bool finish() {
        return pump_until(loop, [this] { return completions > 0; });
    }
    std::string part_bytes() const {
        return static_cast<const MemoryPart*>(worker->Part())->bytes();
    }
    void wait_for_gets(std::size_t count) {
        ASSERT_TRUE(pump_until(loop, [&] { return server.gets(path).size() >= count; }));
    }
    void let_watchdog_period_pass() {
        clock.advance(TDownloadThread::kWatchdogPeriod);
        loop.process_pending(platform::Milliseconds(0));
    }

    const std::string path = "/game.vdp";
    const std::string content = testing::make_content(200'000);
    FaultServer server;
    platform::ManualClock clock;
    platform::PlainEventLoop loop{clock};
    std::unique_ptr<TDownloadThread> worker;
    int set_pos_calls = 0;
    int completions = 0;
    std::vector<std::int64_t> positions;
};

TEST_F(DownloadThreadTest, FetchesItsRangeWithTheRangeHeader) {
    make_worker(100, 166'766, 2).Start();
    ASSERT_TRUE(finish());
    EXPECT_EQ(worker->thread_id, 2);
    EXPECT_EQ(worker->ErrorCount(), 0);
    EXPECT_EQ(part_bytes(), content.substr(100, 166'667));
    const auto gets = server.gets(path);
    ASSERT_EQ(gets.size(), 1u);
    EXPECT_EQ(gets[0].range, "bytes=100-166766");
    EXPECT_GT(set_pos_calls, 0);
    EXPECT_EQ(positions.back(), 166'667);
    EXPECT_EQ(completions, 1);
}

TEST_F(DownloadThreadTest, RangeHeaderOfTheFirstOfSixSegments) {
    TDownloadThread first(loop, 1, "http://127.0.0.1/x", 0, 166'666);
    EXPECT_EQ(first.range_header(), "Range: bytes=0-166666");
}

TEST_F(DownloadThreadTest, SilentServerIsAbortedAndRetriedWithTheSameRange) {
    server.add_fault(path, Fault{.kind = Fault::Kind::StallBeforeHeaders});
    make_worker(0, 99'999).Start();
    wait_for_gets(1);
    let_watchdog_period_pass();
    ASSERT_TRUE(finish());
    const auto gets = server.gets(path);
    ASSERT_EQ(gets.size(), 2u);
    EXPECT_EQ(gets[0].range, gets[1].range);
    EXPECT_EQ(worker->ErrorCount(), 1);
    EXPECT_EQ(part_bytes(), content.substr(0, 100'000));
}

TEST_F(DownloadThreadTest, StallMidBodyRestartsFromTheFirstByte) {
    server.add_fault(path, Fault{.kind = Fault::Kind::StallAfterBytes, .after_bytes = 5000});
    make_worker(1000, 50'999).Start();
    wait_for_gets(1);
    ASSERT_TRUE(pump_until(loop, [&] { return worker->pos() == 5000; }));
    let_watchdog_period_pass(); // bytes came in this period: no abort yet
    EXPECT_EQ(server.gets(path).size(), 1u);
    let_watchdog_period_pass(); // nothing in a whole period: abort
    ASSERT_TRUE(finish());
    EXPECT_EQ(server.gets(path).size(), 2u);
    EXPECT_EQ(worker->ErrorCount(), 1);
    EXPECT_EQ(part_bytes(), content.substr(1000, 50'000));
    EXPECT_EQ(positions.back(), 50'000);
}

TEST_F(DownloadThreadTest, ThreeStallsEndTheSegmentWithoutAFourthRequest) {
    server.add_fault(path,
                     Fault{.kind = Fault::Kind::StallBeforeHeaders, .times = Fault::kEveryRequest});
    make_worker(0, 99'999).Start();
    for (std::size_t attempt = 1; attempt <= 3; ++attempt) {
        wait_for_gets(attempt);
        let_watchdog_period_pass();
    }
    ASSERT_TRUE(finish());
    EXPECT_EQ(worker->ErrorCount(), 3);
    EXPECT_EQ(server.gets(path).size(), 3u);
    EXPECT_EQ(worker->Part()->size(), 0);
}

// A transfer that keeps above the speed floor is never abandoned, however
// slow; below it, the attempt is abandoned once a whole window has passed.
TEST_F(DownloadThreadTest, DripAboveTheSpeedFloorGoesOnAndBelowItIsAbandoned) {
    struct Case {
        int bytes_per_second;
        bool abandoned;
    };
    const Case cases[] = {{kMinimumBytesPerSecond + 44, false}, {kMinimumBytesPerSecond / 2, true}};
    const int seconds = 70;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes_per_second);
        const std::string drip = "/drip" + std::to_string(c.bytes_per_second);
        const std::string body =
            content.substr(0, static_cast<std::size_t>(c.bytes_per_second * seconds));
        server.serve(drip, Resource{.body = body});
        server.add_fault(drip, Fault{.kind = Fault::Kind::Drip});
        completions = 0;
        worker = std::make_unique<TDownloadThread>(loop, 1, server.url(drip), 0,
                                                   static_cast<std::int64_t>(body.size()) - 1);
        worker->SetMaxStalls(1);
        worker->OnComplete = [this](TDownloadThread&) { ++completions; };
        worker->Start();
        for (int second = 1; second <= seconds && completions == 0; ++second) {
            server.release_drip_bytes(c.bytes_per_second);
            ASSERT_TRUE(pump_until(loop, [&] {
                return worker->pos() == second * c.bytes_per_second || completions > 0;
            }));
            clock.advance(kPaceTick);
            loop.process_pending(platform::Milliseconds(0));
        }
        if (completions == 0)
            server.release_drip_bytes(static_cast<int>(body.size()));
        ASSERT_TRUE(finish());
        EXPECT_EQ(worker->TooSlow(), c.abandoned);
        EXPECT_EQ(worker->ErrorCount(), c.abandoned ? 1 : 0);
        if (!c.abandoned)
            EXPECT_EQ(part_bytes(), body);
        worker.reset();
    }
}

// Headers, or some bytes of the body, and then nothing: the request is
// abandoned one stall period after the last byte, not a period later.
TEST_F(DownloadThreadTest, StallIsSeenOneStallPeriodAfterTheLastByte) {
    for (const std::int64_t after_bytes : {0, 5000}) {
        SCOPED_TRACE(after_bytes);
        server.add_fault(path,
                         Fault{.kind = Fault::Kind::StallAfterBytes, .after_bytes = after_bytes});
        completions = 0;
        const std::size_t gets_before = server.gets(path).size();
        make_worker(0, 99'999).Start();
        wait_for_gets(gets_before + 1);
        ASSERT_TRUE(pump_until(loop, [&] { return worker->pos() == after_bytes; }));
        // Let the headers arrive before virtual time starts to move.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        loop.process_pending(platform::Milliseconds(0));
        const auto last_byte = clock.now();
        const auto retried = [&] { return server.gets(path).size() > gets_before + 1; };
        while (!retried() && clock.now() - last_byte <= 2 * kStallPeriod) {
            clock.advance(kPaceTick);
            loop.process_pending(platform::Milliseconds(0));
            const auto settle = std::chrono::steady_clock::now() + std::chrono::milliseconds(30);
            while (!retried() && std::chrono::steady_clock::now() < settle) {
                loop.process_pending(platform::Milliseconds(0));
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        EXPECT_LE(clock.now() - last_byte, kStallPeriod + kPaceTick);
        ASSERT_TRUE(finish());
        EXPECT_EQ(worker->ErrorCount(), 1);
        EXPECT_EQ(part_bytes(), content.substr(0, 100'000));
        worker.reset();
    }
}

TEST_F(DownloadThreadTest, ErrorAnswerMeansExactlyOneAttemptAndAnEmptyPart) {
    for (int status : {404, 500}) {
        server.add_fault(path, Fault{.kind = Fault::Kind::Status, .status = status});
        completions = 0;
        make_worker(0, 99'999).Start();
        ASSERT_TRUE(finish());
        EXPECT_EQ(worker->ErrorCount(), 0) << status;
        EXPECT_EQ(worker->Part()->size(), 0) << status;
        worker.reset();
    }
    EXPECT_EQ(server.gets(path).size(), 2u);
}

TEST_F(DownloadThreadTest, DroppedConnectionEndsTheSegmentWithAShortPart) {
    server.add_fault(path, Fault{.kind = Fault::Kind::DropAfterBytes, .after_bytes = 3000});
    make_worker(0, 99'999).Start();
    ASSERT_TRUE(finish());
    EXPECT_EQ(worker->ErrorCount(), 0);
    EXPECT_EQ(part_bytes(), content.substr(0, 3000));
    EXPECT_EQ(server.gets(path).size(), 1u);
}

TEST_F(DownloadThreadTest, IgnoredRangeIsRefusedUnlessTheRangeIsTheWholeFile) {
    server.serve("/norange", Resource{.body = content, .ignore_range = true});
    worker = std::make_unique<TDownloadThread>(loop, 2, server.url("/norange"), 1000, 1999);
    worker->OnComplete = [this](TDownloadThread&) { ++completions; };
    worker->Start();
    ASSERT_TRUE(finish());
    EXPECT_TRUE(worker->RangeIgnored());
    EXPECT_EQ(worker->Part()->size(), 0) << "the whole body must not land in a range";

    completions = 0;
    worker = std::make_unique<TDownloadThread>(loop, 1, server.url("/norange"), 0,
                                               static_cast<std::int64_t>(content.size()) - 1);
    worker->SetAcceptWholeBody(true);
    worker->OnComplete = [this](TDownloadThread&) { ++completions; };
    worker->Start();
    ASSERT_TRUE(finish());
    EXPECT_FALSE(worker->RangeIgnored());
    EXPECT_EQ(part_bytes(), content);
}

TEST_F(DownloadThreadTest, StopDuringAStalledRequestEndsTheWorkerPromptly) {
    server.add_fault(path,
                     Fault{.kind = Fault::Kind::StallBeforeHeaders, .times = Fault::kEveryRequest});
    make_worker(0, 99'999).Start();
    wait_for_gets(1);
    worker->Stop();
    ASSERT_TRUE(finish()); // no virtual time passes: the abort alone ends it
    EXPECT_EQ(worker->ErrorCount(), 0);
    EXPECT_EQ(server.gets(path).size(), 1u);
}

TEST_F(DownloadThreadTest, DestroyingARunningWorkerDoesNotReportItsEnd) {
    server.add_fault(path, Fault{.kind = Fault::Kind::StallAfterBytes,
                                 .after_bytes = 100,
                                 .times = Fault::kEveryRequest});
    make_worker(0, 99'999).Start();
    ASSERT_TRUE(pump_until(loop, [&] { return worker->pos() > 0; }));
    worker.reset();
    loop.process_pending(platform::Milliseconds(0));
    EXPECT_EQ(completions, 0);
}

TEST_F(DownloadThreadTest, WorkerStoppedBeforeItBeganReportsWithoutARequest) {
    make_worker(0, 99'999);
    worker->Stop();
    worker->Start();
    ASSERT_TRUE(finish());
    EXPECT_EQ(worker->Part()->size(), 0);
    EXPECT_EQ(worker->ErrorCount(), 0);
    EXPECT_TRUE(server.gets(path).empty());
}

TEST_F(DownloadThreadTest, LengthProbeGoesOnToTheWholeFileOnTheSameConnection) {
    make_worker(0, -1);
    std::int64_t stated = 0;
    worker->ProbeLengthFirst([&](std::int64_t length) -> std::unique_ptr<SegmentPart> {
        stated = length;
        return std::make_unique<MemoryPart>();
    });
    worker->Start();
    ASSERT_TRUE(finish());
    EXPECT_EQ(stated, 200'000);
    EXPECT_TRUE(worker->FetchedAfterProbe());
    EXPECT_EQ(worker->_end, 199'999);
    EXPECT_EQ(part_bytes(), content);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "HEAD");
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].range, "bytes=0-199999");
    EXPECT_EQ(requests[0].connection, requests[1].connection);
    EXPECT_EQ(completions, 1);
}

TEST_F(DownloadThreadTest, LengthProbeEndsWithTheAnswerWhenNoPartIsGiven) {
    server.serve("/gone", Resource{.body = "x", .head_status = 404});
    for (const std::string& probed : {path, std::string("/gone")}) {
        completions = 0;
        worker = std::make_unique<TDownloadThread>(loop, 1, server.url(probed), 0, -1);
        worker->OnComplete = [this](TDownloadThread&) { ++completions; };
        worker->ProbeLengthFirst([](std::int64_t) { return std::unique_ptr<SegmentPart>(); });
        worker->Start();
        ASSERT_TRUE(finish()) << probed;
        EXPECT_FALSE(worker->FetchedAfterProbe()) << probed;
        EXPECT_EQ(worker->Part()->size(), 0) << probed;
    }
    EXPECT_EQ(worker->ProbeAnswer().outcome.status, 404);
    EXPECT_TRUE(server.gets(path).empty());
    EXPECT_TRUE(server.gets("/gone").empty());
}

TEST_F(DownloadThreadTest, LengthProbeThatNeverAnswersIsAbandonedAfterOnePeriod) {
    server.serve(path, Resource{.body = content, .head_never_answers = true});
    make_worker(0, -1);
    worker->ProbeLengthFirst([](std::int64_t) { return std::make_unique<MemoryPart>(); });
    worker->Start();
    ASSERT_TRUE(pump_until(loop, [&] { return !server.requests().empty(); }));
    let_watchdog_period_pass();
    ASSERT_TRUE(finish());
    EXPECT_TRUE(worker->ProbeStalled());
    EXPECT_EQ(worker->ProbeAnswer().outcome.error, "no answer for 20 seconds");
    EXPECT_TRUE(server.gets(path).empty());
}

} // namespace
} // namespace launcher
