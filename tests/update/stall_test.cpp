// Servers that stop answering, in virtual time: every request is abandoned
// after a stall period and counts as failing, so a run always ends and tells
// what it could not fetch.
#include "download/request_watch.h"
#include "platform/files.h"
#include "update/published_game.h"
#include "update/server_rotation.h"
#include "update/workflow_harness.h"

#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

using ::testing::HasSubstr;

using Stall = std::function<void(WorkflowHarness&, const std::string& path)>;

void head_never_answers(WorkflowHarness& h, const std::string& path) {
    Resource resource{platform::read_file_text(platform::native_path(h.tree.path(), path))};
    resource.head_never_answers = true;
    h.server.serve(path, resource);
}

void get_never_answers(WorkflowHarness& h, const std::string& path) {
    h.server.add_fault(
        path, Fault{Fault::Kind::StallBeforeHeaders, 0, 0, std::nullopt, Fault::kEveryRequest});
}

struct StallCase {
    const char* name;
    Stall stall;
};

const StallCase kStalls[] = {
    {"HEAD never answered", head_never_answers},
    {"GET never answered", get_never_answers},
};

platform::Milliseconds elapsed_since(WorkflowHarness& h, platform::TimePoint start) {
    return std::chrono::duration_cast<platform::Milliseconds>(h.loop.clock().now() - start);
}

// One stall period, as a watch that looks every tick sees it.
constexpr platform::Milliseconds kSeenStall = kStallPeriod + kPaceTick;

TEST(StallTest, GameFileFromAStalledServerFailsAndTheRunGoesOn) {
    for (const StallCase& c : kStalls) {
        SCOPED_TRACE(c.name);
        WorkflowHarness h(true);
        // One file at a time: a file fetched ahead waits on its slot's own
        // thread, and the virtual time spent waiting for it would follow the
        // machine's real scheduling.
        h.config.Config.Jobs = 1;
        h.publish(Release{{{"\\b.txt", "old bee"}, {"\\c.txt", "old sea"}}});
        ASSERT_EQ(h.run().end(), WorkflowEnd::Updated);
        h.publish(Release{{{"\\b.txt", "new bee"}, {"\\c.txt", std::string(300000, 's')}},
                          {"\\b.txt", "\\c.txt"}});
        c.stall(h, "/b.txt.vdp");

        const auto start = h.loop.clock().now();
        UpdateWorkflow& workflow = h.run();
        EXPECT_EQ(workflow.end(), WorkflowEnd::Updated);
        ASSERT_EQ(workflow.FailedFiles().size(), 1u);
        EXPECT_EQ(workflow.FailedFiles()[0].name, "\\b.txt");
        EXPECT_THAT(workflow.FailedFiles()[0].reason, HasSubstr("did not answer"));
        EXPECT_EQ(h.read("\\b.txt"), "old bee");
        EXPECT_TRUE(h.read("\\c.txt") == std::string(300000, 's'));
        EXPECT_TRUE(h.view.start_enabled);
        // The file costs its stall allowance, one stall period a request.
        EXPECT_GE(elapsed_since(h, start), kFileStallAllowance * kStallPeriod);
        EXPECT_LE(elapsed_since(h, start), kFileStallAllowance * kSeenStall);
    }
}

// The worst case of a whole run: the server answers the file list, then
// goes silent. It is given up after its allowance of stall periods, and every
// further file fails at once, however many there are.
TEST(StallTest, SilentServerCostsItsAllowanceWhateverTheNumberOfFiles) {
    for (const StallCase& c : kStalls) {
        SCOPED_TRACE(c.name);
        WorkflowHarness h(true);
        Release release;
        for (int i = 0; i < 12; ++i)
            release.files.push_back(
                {"\\f" + std::to_string(i) + ".txt", "file " + std::to_string(i)});
        h.publish(release);
        for (int i = 0; i < 12; ++i)
            c.stall(h, "/f" + std::to_string(i) + ".txt.vdp");

        const auto start = h.loop.clock().now();
        UpdateWorkflow& workflow = h.run();
        EXPECT_EQ(workflow.end(), WorkflowEnd::Updated);
        ASSERT_EQ(workflow.FailedFiles().size(), 12u);
        EXPECT_THAT(workflow.FailedFiles().back().reason, HasSubstr("given up for this run"));
        EXPECT_TRUE(h.logged("Update server given up for this run after 4 stall periods: " +
                             h.server.url("/")));
        EXPECT_LE(elapsed_since(h, start), kServerStallAllowance * kSeenStall);
    }
}

// A second server serves the same release: once the first is given up, the
// rest of the files come from the second.
TEST(StallTest, GivenUpServerHandsTheRestOfTheRunToTheNext) {
    WorkflowHarness h(true);
    Release release;
    for (int i = 0; i < 4; ++i)
        release.files.push_back({"\\f" + std::to_string(i) + ".txt", "file " + std::to_string(i)});
    h.publish(release);
    FaultServer mirror;
    ServeFolder(mirror, h.tree.path());
    h.config.UpdateServers = {false, false, {h.server.url("/"), mirror.url("/")}};
    for (int i = 0; i < 4; ++i)
        get_never_answers(h, "/f" + std::to_string(i) + ".txt.vdp");

    UpdateWorkflow& workflow = h.run();
    EXPECT_EQ(workflow.end(), WorkflowEnd::Updated);
    ASSERT_EQ(workflow.FailedFiles().size(), 1u) << "the first file met both stalls of its own";
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(h.read("\\f" + std::to_string(i) + ".txt"), "file " + std::to_string(i));
    EXPECT_EQ(workflow.URLMain, mirror.url("/"));
    EXPECT_TRUE(h.logged("Going on with update server: " + mirror.url("/")));
}

TEST(StallTest, FileListFromAServerThatNeverAnswersEndsWithNoServer) {
    WorkflowHarness h(true);
    h.publish(Release{{{"\\b.txt", "bee"}}});
    head_never_answers(h, "/updater.lst.vdp");

    const auto start = h.loop.clock().now();
    UpdateWorkflow& workflow = h.run();
    EXPECT_EQ(workflow.end(), WorkflowEnd::NoServer);
    EXPECT_EQ(h.requests("HEAD", "/updater.lst.vdp"), kFileStallAllowance);
    EXPECT_THAT(workflow.EndReason(), HasSubstr("no answer for 20 seconds"));
    EXPECT_FALSE(h.exists("\\b.txt"));
    EXPECT_TRUE(h.view.start_enabled);
    EXPECT_LE(elapsed_since(h, start), kFileStallAllowance * kSeenStall);
}

} // namespace
} // namespace launcher::testing
