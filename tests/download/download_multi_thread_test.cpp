#include "catalogue/md5.h"
#include "download/download_multi_thread.h"
#include "download/download_test_support.h"
#include "download/transfer_pace.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/plain_event_loop.h"
#include "platform/terminate_flag.h"
#include "support/fault_server.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::Fault;
using testing::FaultServer;
using testing::HeadLength;
using testing::Resource;

// The download runs its own wait loop, so virtual time moves by itself here:
// whenever the interface thread has been idle for a moment the clock jumps
// to the next timer, and a 20 s watchdog period passes in well under a second.
class DownloadMultiThreadTest : public ::testing::Test {
protected:
    DownloadMultiThreadTest() {
        clock.set_auto_advance(true);
        server.serve(path, Resource{.body = content});
        download.OnProgress = [this](TDownloadMultiThread& sender, std::int64_t loaded,
                                     std::int64_t size) {
            EXPECT_EQ(&sender, &download);
            EXPECT_TRUE(loop.is_interface_thread());
            ticks.push_back({loaded, size});
        };
    }

    std::string fetch(const std::string& from = "/game.vdp") {
        download.GetFile(server.url(from), target);
        return std::filesystem::exists(target) ? std::string(platform::read_file_text(target))
                                               : std::string();
    }
    // The first offset of segment `k` (1-based) of the 1,000,000-byte file in six.
    static std::int64_t first_of(int k) { return plan_segments(1'000'000, 6)[k - 1].first; }

    const std::string path = "/game.vdp";
    const std::string content = testing::make_content(1'000'000);
    FaultServer server;
    testing::TempDir folder;
    const std::filesystem::path target = folder / "game.vdp";
    platform::ManualClock clock;
    platform::PlainEventLoop loop{clock};
    TDownloadMultiThread download{loop};
    std::vector<std::pair<std::int64_t, std::int64_t>> ticks;
};

TEST_F(DownloadMultiThreadTest, FetchesTheFileInSixRanges) {
    download.SetThreads(6);
    EXPECT_EQ(fetch(), content);
    EXPECT_FALSE(download.HaveError);
    const auto gets = server.gets(path);
    ASSERT_EQ(gets.size(), 6u);
    std::vector<std::string> ranges;
    for (const auto& get : gets)
        ranges.push_back(get.range);
    std::sort(ranges.begin(), ranges.end());
    EXPECT_EQ(ranges, (std::vector<std::string>{"bytes=0-166666", "bytes=166667-333333",
                                                "bytes=333334-500000", "bytes=500001-666667",
                                                "bytes=666668-833334", "bytes=833335-999999"}));
    EXPECT_EQ(server.requests().front().method, "HEAD");
}

TEST_F(DownloadMultiThreadTest, NextDownloadReusesTheOpenConnections) {
    download.SetThreads(6);
    EXPECT_EQ(fetch(), content);
    EXPECT_EQ(fetch(), content);
    EXPECT_FALSE(download.HaveError);
    // One connection per range; the probes ride on them too.
    EXPECT_EQ(server.connection_count(), 6);
    EXPECT_EQ(server.gets(path).size(), 12u);
}

TEST_F(DownloadMultiThreadTest, ProgressReportsTheWholeLengthAndEndsAtIt) {
    download.SetThreads(6);
    fetch();
    ASSERT_FALSE(ticks.empty()); // at least the final tick
    for (const auto& [loaded, size] : ticks) {
        EXPECT_EQ(size, 1'000'000);
        EXPECT_LE(loaded, size);
    }
    EXPECT_EQ(ticks.back().first, 1'000'000);
}

TEST_F(DownloadMultiThreadTest, OneThreadFetchesEverythingInOneRange) {
    download.SetThreads(0);
    EXPECT_EQ(download.Threads(), 1);
    EXPECT_EQ(fetch(), content);
    const auto gets = server.gets(path);
    ASSERT_EQ(gets.size(), 1u);
    EXPECT_EQ(gets[0].range, "bytes=0-999999");
    download.SetThreads(25);
    EXPECT_EQ(download.Threads(), 10);
}

TEST_F(DownloadMultiThreadTest, ReplacesAnExistingLongerFile) {
    platform::write_file(target, std::string(2'000'000, 'x'));
    download.SetThreads(6);
    EXPECT_EQ(fetch(), content);
}

TEST_F(DownloadMultiThreadTest, FailedLengthProbeLeavesTheTargetUntouched) {
    struct Case {
        const char* name;
        Resource resource;
    };
    const Case cases[] = {
        {"no Content-Length", Resource{.body = "abc", .head_length = HeadLength::Absent}},
        {"HEAD answered 500", Resource{.body = "abc", .head_status = 500}},
        {"HEAD redirected", Resource{.body = "abc", .head_status = 302}},
    };
    for (const Case& probe : cases) {
        server.serve("/probe", probe.resource);
        download.HaveError = false;
        fetch("/probe");
        EXPECT_TRUE(download.HaveError) << probe.name;
        EXPECT_FALSE(std::filesystem::exists(target)) << probe.name;
    }
    platform::write_file(target, "previous");
    EXPECT_EQ(fetch("/nothing-here"), "previous");
    EXPECT_TRUE(download.HaveError);
    EXPECT_TRUE(server.gets("/probe").empty());
}

TEST_F(DownloadMultiThreadTest, EmptyFileIsFetchedFromItsLengthAlone) {
    server.serve("/empty", Resource{.body = "", .head_length = HeadLength::Zero});
    platform::write_file(target, "previous");
    EXPECT_EQ(fetch("/empty"), "");
    EXPECT_FALSE(download.HaveError) << download.LastFailure->describe();
    EXPECT_TRUE(std::filesystem::exists(target));
    EXPECT_EQ(download.FetchedMD5(), "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_TRUE(server.gets("/empty").empty()) << "nothing to ask for";
}

// A caller that knows how large the file can be gives that bound: a server
// stating more is not fetched from at all, and one sending more than its
// range is cut off at the range's end.
TEST_F(DownloadMultiThreadTest, LengthsAboveTheCallersBoundAreNotFetched) {
    struct Case {
        const char* name;
        std::int64_t bound;
        bool fails;
    };
    const Case cases[] = {
        {"one range, a byte too many", 99'999, true},
        {"several ranges, far too many", 1000, true},
        {"exactly the bound", 1'000'000, false},
    };
    download.SetThreads(6);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string body = content.substr(0, c.bound == 99'999 ? 100'000 : 1'000'000);
        server.serve("/bounded", Resource{.body = body});
        const auto gets_before = server.gets("/bounded").size();
        download.GetFile(server.url("/bounded"), target, c.bound);
        EXPECT_EQ(download.HaveError, c.fails);
        if (!c.fails)
            continue;
        ASSERT_TRUE(download.LastFailure);
        EXPECT_EQ(download.LastFailure->kind, DownloadFailure::Kind::TooLong);
        EXPECT_EQ(download.LastFailure->describe(),
                  "the update server sent more than it can be (" + std::to_string(body.size()) +
                      " bytes, at most " + std::to_string(c.bound) + " expected)");
        EXPECT_EQ(server.gets("/bounded").size(), gets_before);
        EXPECT_FALSE(std::filesystem::exists(target));
    }
}

// Stalls are counted for the caller, and the caller may allow fewer of them:
// a server that already stalled is not waited for three times again.
TEST_F(DownloadMultiThreadTest, StallAllowanceBoundsTheAttemptsAndStallsAreCounted) {
    struct Case {
        int allowance;
        std::size_t gets;
        const char* reason;
    };
    const Case cases[] = {
        {3, 3, "the update server did not answer (it stopped sending for 20 seconds, 3 times)"},
        {1, 1, "the update server did not answer (it stopped sending for 20 seconds, once)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.allowance);
        const std::string stalled = "/stalled" + std::to_string(c.allowance);
        server.serve(stalled, Resource{.body = content.substr(0, 5000)});
        server.add_fault(stalled, Fault{.kind = Fault::Kind::StallAfterBytes,
                                        .after_bytes = 100,
                                        .times = Fault::kEveryRequest});
        download.SetStallAllowance(c.allowance);
        const auto start = clock.now();
        fetch(stalled);
        EXPECT_TRUE(download.HaveError);
        EXPECT_EQ(server.gets(stalled).size(), c.gets);
        EXPECT_EQ(download.StallPeriods(), c.allowance);
        ASSERT_TRUE(download.LastFailure);
        EXPECT_EQ(download.LastFailure->describe(), c.reason);
        // Each attempt is abandoned one stall period after its last byte.
        EXPECT_LE(clock.now() - start, c.allowance * (kStallPeriod + kPaceTick));
    }
    server.add_fault(path, Fault{.kind = Fault::Kind::StallBeforeHeaders});
    download.SetStallAllowance(3);
    EXPECT_EQ(fetch(), content);
    EXPECT_EQ(download.StallPeriods(), 1);
}

TEST_F(DownloadMultiThreadTest, TimeLimitEndsADownloadAsTooSlow) {
    server.add_fault(path, Fault{.kind = Fault::Kind::StallBeforeHeaders});
    download.SetTimeLimit(platform::Milliseconds(5000));
    const auto start = clock.now();
    fetch();
    EXPECT_TRUE(download.HaveError);
    ASSERT_TRUE(download.LastFailure);
    EXPECT_EQ(download.LastFailure->describe(),
              "the update server sent too slowly (it took longer than 5 seconds)");
    EXPECT_LT(clock.now() - start, kStallPeriod);
    EXPECT_FALSE(std::filesystem::exists(target));
    download.SetTimeLimit(std::nullopt);
    EXPECT_EQ(fetch(), content);
}

TEST_F(DownloadMultiThreadTest, ErrorAnswerOnOneRangeMeansOneAttemptAndAnError) {
    download.SetThreads(6);
    server.add_fault(path, Fault{.kind = Fault::Kind::Status,
                                 .status = 404,
                                 .range_first = first_of(2),
                                 .times = Fault::kEveryRequest});
    const std::string result = fetch();
    EXPECT_TRUE(download.HaveError);
    std::size_t requests_for_range = 0;
    for (const auto& get : server.gets(path))
        requests_for_range += get.range.starts_with("bytes=166667-") ? 1 : 0;
    EXPECT_EQ(requests_for_range, 1u);
    // The target stays at full length with zeros where the range failed.
    ASSERT_EQ(result.size(), content.size());
    EXPECT_EQ(result.substr(166'667, 166'667), std::string(166'667, '\0'));
    EXPECT_EQ(result.substr(333'334), content.substr(333'334));
}

TEST_F(DownloadMultiThreadTest, DroppedConnectionSetsTheError) {
    download.SetThreads(6);
    server.add_fault(path, Fault{.kind = Fault::Kind::DropAfterBytes,
                                 .after_bytes = 10'000,
                                 .range_first = first_of(4)});
    EXPECT_EQ(fetch().size(), content.size());
    EXPECT_TRUE(download.HaveError);
}

TEST_F(DownloadMultiThreadTest, ThreeStallsSetTheErrorWhileOtherRangesAreWritten) {
    download.SetThreads(6);
    server.add_fault(path, Fault{.kind = Fault::Kind::StallBeforeHeaders,
                                 .range_first = first_of(3),
                                 .times = Fault::kEveryRequest});
    const std::string result = fetch();
    EXPECT_TRUE(download.HaveError);
    std::size_t requests_for_range = 0;
    for (const auto& get : server.gets(path))
        requests_for_range += get.range == "bytes=333334-500000" ? 1 : 0;
    EXPECT_EQ(requests_for_range, 3u);
    ASSERT_EQ(result.size(), content.size());
    EXPECT_EQ(result.substr(0, 333'334), content.substr(0, 333'334));
    EXPECT_EQ(result.substr(333'334, 166'667), std::string(166'667, '\0'));
    EXPECT_EQ(result.substr(500'001), content.substr(500'001));
}

TEST_F(DownloadMultiThreadTest, StallThenRecoveryGivesTheWholeFile) {
    download.SetThreads(6);
    server.add_fault(path, Fault{.kind = Fault::Kind::StallAfterBytes,
                                 .after_bytes = 20'000,
                                 .range_first = first_of(5)});
    EXPECT_EQ(fetch(), content);
    EXPECT_FALSE(download.HaveError);
}

TEST_F(DownloadMultiThreadTest, IgnoredRangeFallsBackToOneWholeFileTransfer) {
    server.serve("/norange", Resource{.body = content, .ignore_range = true});
    download.SetThreads(6);
    EXPECT_EQ(fetch("/norange"), content);
    EXPECT_FALSE(download.HaveError);
    // Requests of the stopped ranges may reach the server after the fallback's.
    const auto gets = server.gets("/norange");
    EXPECT_TRUE(std::any_of(gets.begin(), gets.end(),
                            [](const auto& get) { return get.range == "bytes=0-999999"; }));
}

TEST_F(DownloadMultiThreadTest, SmallFileFromAServerIgnoringRangeNeedsNoFallback) {
    const std::string small = content.substr(0, 50'000);
    server.serve("/norange", Resource{.body = small, .ignore_range = true});
    download.SetThreads(6);
    EXPECT_EQ(fetch("/norange"), small);
    EXPECT_FALSE(download.HaveError);
    EXPECT_EQ(server.gets("/norange").size(), 1u);
}

TEST_F(DownloadMultiThreadTest, StopReturnsPromptlyWithoutATargetFile) {
    download.SetThreads(6);
    server.add_fault(path, Fault{.kind = Fault::Kind::StallAfterBytes,
                                 .after_bytes = 1000,
                                 .times = Fault::kEveryRequest});
    std::size_t requests_at_stop = 0;
    download.OnProgress = [&](TDownloadMultiThread& sender, std::int64_t, std::int64_t) {
        // Stop once every range is stalled in its first attempt.
        if (requests_at_stop == 0 && server.gets(path).size() == 6) {
            requests_at_stop = 6;
            sender.Stop();
        }
    };
    fetch();
    EXPECT_EQ(requests_at_stop, 6u);
    EXPECT_FALSE(std::filesystem::exists(target));
    // Stopped workers make no further attempts.
    EXPECT_EQ(server.gets(path).size(), 6u);

    // The coordinator is ready for the next download.
    server.serve("/next", Resource{.body = content});
    download.OnProgress = nullptr;
    EXPECT_EQ(fetch("/next"), content);
    EXPECT_FALSE(download.HaveError);
}

TEST_F(DownloadMultiThreadTest, TheFileIsHashedWhileItArrivesInOneOrSeveralRanges) {
    const std::string expected = MD5File(
        platform::write_file(target, content) ? target : std::filesystem::path("unwritable"));
    struct Case {
        const char* what;
        int threads;
        std::optional<Fault> fault;
    };
    const Case cases[] = {
        {"one range", 1, std::nullopt},
        {"six ranges", 6, std::nullopt},
        {"a range that stalls and starts again", 6,
         Fault{.kind = Fault::Kind::StallAfterBytes,
               .after_bytes = 20'000,
               .range_first = first_of(3)}},
    };
    for (const Case& test : cases) {
        if (test.fault)
            server.add_fault(path, *test.fault);
        download.SetThreads(test.threads);
        EXPECT_EQ(fetch(), content) << test.what;
        ASSERT_TRUE(download.FetchedMD5()) << test.what;
        EXPECT_EQ(*download.FetchedMD5(), expected) << test.what;
    }
    server.add_fault(path, Fault{.kind = Fault::Kind::Status,
                                 .status = 500,
                                 .range_first = first_of(2),
                                 .times = Fault::kEveryRequest});
    fetch();
    EXPECT_TRUE(download.HaveError);
    EXPECT_FALSE(download.FetchedMD5()) << "no hash of a file that did not arrive whole";
}

TEST_F(DownloadMultiThreadTest, FailingProgressHandlerDoesNotEndTheDownload) {
    download.SetThreads(6);
    download.OnProgress = [](TDownloadMultiThread&, std::int64_t, std::int64_t) {
        throw std::runtime_error("display gone");
    };
    EXPECT_EQ(fetch(), content);
    EXPECT_FALSE(download.HaveError);
}

using DownloadMultiThreadDeathTest = DownloadMultiThreadTest;

TEST_F(DownloadMultiThreadDeathTest, ClosingTheApplicationDuringADownloadEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    download.SetThreads(6);
    server.add_fault(path, Fault{.kind = Fault::Kind::StallAfterBytes,
                                 .after_bytes = 1000,
                                 .times = Fault::kEveryRequest});
    download.OnProgress = [](TDownloadMultiThread&, std::int64_t, std::int64_t) {
        platform::set_application_terminated(); // what the close action does
    };
    EXPECT_EXIT(
        {
            fetch();
            std::exit(3); // must not be reached
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace launcher
