// Why a download failed, and requests that never answer, in virtual time.
#include "download/download_multi_thread.h"
#include "download/download_test_support.h"
#include "download/request_watch.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/plain_event_loop.h"
#include "support/fault_server.h"
#include "support/tcp_listener.h"
#include "support/temp_dir.h"

#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::Fault;
using testing::FaultServer;
using ::testing::HasSubstr;
using testing::HeadLength;
using testing::Resource;
using Kind = DownloadFailure::Kind;

class DownloadFailureTest : public ::testing::Test {
protected:
    DownloadFailureTest() {
        clock.set_auto_advance(true);
        download.SetThreads(6);
    }

    platform::Milliseconds elapsed_since(platform::TimePoint start) const {
        return std::chrono::duration_cast<platform::Milliseconds>(clock.now() - start);
    }

    const std::string content = testing::make_content(1'000'000);
    FaultServer server;
    testing::TempDir folder;
    const std::filesystem::path target = folder / "game.vdp";
    platform::ManualClock clock;
    platform::PlainEventLoop loop{clock};
    TDownloadMultiThread download{loop};
};

TEST_F(DownloadFailureTest, EachFailureSaysWhy) {
    struct Case {
        const char* what;
        Resource resource;
        std::optional<Fault> fault;
        Kind kind;
        const char* words;
    };
    const Case cases[] = {
        {"HEAD never answered", Resource{.body = content, .head_never_answers = true}, std::nullopt,
         Kind::NoAnswer, "did not answer"},
        {"not on the server", Resource{.body = content, .head_status = 404}, std::nullopt,
         Kind::HttpStatus, "not found on the update server"},
        {"no length", Resource{.body = content, .head_length = HeadLength::Absent}, std::nullopt,
         Kind::NoLength, "no length"},
        {"HEAD shorter than the 206 totals",
         Resource{.body = content, .head_stated_length = 999'000}, std::nullopt,
         Kind::LengthMismatch, "disagree"},
        {"HEAD longer than the 206 totals",
         Resource{.body = content, .head_stated_length = 1'200'000}, std::nullopt,
         Kind::LengthMismatch, "disagree"},
        {"every range answered 500", Resource{.body = content},
         Fault{.kind = Fault::Kind::Status, .status = 500, .times = Fault::kEveryRequest},
         Kind::HttpStatus, "HTTP 500"},
        {"a range dropped", Resource{.body = content},
         Fault{.kind = Fault::Kind::DropAfterBytes, .after_bytes = 1000, .times = 1},
         Kind::Incomplete, "ended early"},
        {"every attempt stalls", Resource{.body = content},
         Fault{.kind = Fault::Kind::StallBeforeHeaders, .times = Fault::kEveryRequest},
         Kind::NoAnswer, "did not answer"},
    };
    int index = 0;
    for (const Case& test : cases) {
        const std::string path = "/case" + std::to_string(index++);
        server.serve(path, test.resource);
        if (test.fault)
            server.add_fault(path, *test.fault);
        download.GetFile(server.url(path), target);
        EXPECT_TRUE(download.HaveError) << test.what;
        ASSERT_TRUE(download.LastFailure) << test.what;
        EXPECT_EQ(download.LastFailure->kind, test.kind) << test.what;
        EXPECT_THAT(download.LastFailure->describe(), HasSubstr(test.words)) << test.what;
    }
}

TEST_F(DownloadFailureTest, TargetThatCannotBeCreatedIsALocalProblem) {
    server.serve("/file", Resource{.body = content});
    download.GetFile(server.url("/file"), folder / "missing-folder" / "game.vdp");
    ASSERT_TRUE(download.LastFailure);
    EXPECT_EQ(download.LastFailure->kind, Kind::LocalFile);
    ASSERT_TRUE(download.LastFailure->local);
    EXPECT_EQ(download.LastFailure->local->problem(), platform::FileProblem::NotFound);
    EXPECT_THAT(download.LastFailure->describe(), HasSubstr("missing-folder"));
}

TEST_F(DownloadFailureTest, HeadThatNeverAnswersCostsOneStallPeriod) {
    server.serve("/silent", Resource{.body = content, .head_never_answers = true});
    const platform::TimePoint start = clock.now();
    download.GetFile(server.url("/silent"), target);
    EXPECT_TRUE(download.HaveError);
    EXPECT_GE(elapsed_since(start), kStallPeriod);
    EXPECT_LT(elapsed_since(start), 2 * kStallPeriod);
    EXPECT_FALSE(std::filesystem::exists(target)) << "the target is not touched";
}

TEST_F(DownloadFailureTest, HeadToAServerThatOnlyAcceptsIsAbandoned) {
    testing::TcpListener silent("127.0.0.1", 0);
    HttpClient client;
    const platform::TimePoint start = clock.now();
    const HeadOutcome head = HeadWhileProcessing(
        loop, client, "http://127.0.0.1:" + std::to_string(silent.port()) + "/updater.lst.vdp");
    EXPECT_TRUE(head.stalled);
    EXPECT_FALSE(head.result.outcome.ok);
    EXPECT_GE(elapsed_since(start), kStallPeriod);
    EXPECT_LT(elapsed_since(start), 2 * kStallPeriod);
}

TEST_F(DownloadFailureTest, HeadWithATimeLimitIsAbandonedOnceItCannotMeetIt) {
    server.serve("/slow", Resource{.body = content, .head_never_answers = true});
    HttpClient client;
    const HeadOutcome head =
        HeadWhileProcessing(loop, client, server.url("/slow"), platform::Milliseconds(1000));
    EXPECT_TRUE(head.over_time_limit);
    EXPECT_FALSE(head.stalled);
    EXPECT_GE(head.elapsed, platform::Milliseconds(1000));
    EXPECT_LT(head.elapsed, kStallPeriod);
}

TEST_F(DownloadFailureTest, ANewDownloadForgetsTheLastFailure) {
    server.serve("/gone", Resource{.body = content, .head_status = 404});
    server.serve("/here", Resource{.body = content});
    download.GetFile(server.url("/gone"), target);
    ASSERT_TRUE(download.LastFailure);
    download.GetFile(server.url("/here"), target);
    EXPECT_FALSE(download.HaveError);
    EXPECT_FALSE(download.LastFailure);
    EXPECT_EQ(platform::read_file_text(target), content);
}

} // namespace
} // namespace launcher
