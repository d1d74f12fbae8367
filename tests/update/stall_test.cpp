// Servers that stop answering, in virtual time: every request is abandoned
// after a stall period and counts as failing, so a run always ends and tells
// what it could not fetch.
#include "download/request_watch.h"
#include "platform/files.h"
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

// In real time the first costs a minute, the second three: each of three
// calls waits a stall period for the HEAD, or three for the GET.
const StallCase kStalls[] = {
    {"HEAD never answered", head_never_answers},
    {"GET never answered", get_never_answers},
};

platform::Milliseconds elapsed_since(WorkflowHarness& h, platform::TimePoint start) {
    return std::chrono::duration_cast<platform::Milliseconds>(h.loop.clock().now() - start);
}

TEST(StallTest, GameFileFromAStalledServerFailsAndTheRunGoesOn) {
    for (const StallCase& c : kStalls) {
        SCOPED_TRACE(c.name);
        WorkflowHarness h(true);
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
        // Three calls, each abandoned after (at least) one stall period.
        EXPECT_GE(elapsed_since(h, start), 3 * kStallPeriod);
    }
}

TEST(StallTest, FileListFromAServerThatNeverAnswersEndsWithNoServer) {
    WorkflowHarness h(true);
    h.publish(Release{{{"\\b.txt", "bee"}}});
    head_never_answers(h, "/updater.lst.vdp");

    const auto start = h.loop.clock().now();
    UpdateWorkflow& workflow = h.run();
    EXPECT_EQ(workflow.end(), WorkflowEnd::NoServer);
    EXPECT_EQ(h.requests("HEAD", "/updater.lst.vdp"), 3) << "three calls for the file list";
    EXPECT_FALSE(h.exists("\\b.txt"));
    EXPECT_TRUE(h.view.start_enabled);
    EXPECT_GE(elapsed_since(h, start), 3 * kStallPeriod);
}

} // namespace
} // namespace launcher::testing
