// Several files in flight at once: a fault on one file costs that file only,
// files are still installed and recorded as they are verified, and no more
// connections than the cap are ever open to the server.
#include "catalogue/file_catalogue.h"
#include "update/fetch_ahead.h"
#include "update/workflow_harness.h"

#include <algorithm>
#include <functional>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

using ::testing::HasSubstr;

constexpr int kFiles = 30;
constexpr int kFaulty = 4; // a file early in the list, with later ones in flight beside it

std::string name_of(int index) {
    return "\\data\\file" + std::to_string(100 + index) + ".txt";
}

std::string path_of(int index) {
    return "/data/file" + std::to_string(100 + index) + ".txt.vdp";
}

Release many_files(const std::string& version) {
    Release release;
    for (int i = 0; i < kFiles; ++i)
        release.files.push_back({name_of(i), version + " content of file " + std::to_string(i)});
    return release;
}

struct InFlightFault {
    const char* name;
    Fault fault;
    const char* reason;
};

const InFlightFault kFaults[] = {
    {"not on the server", Fault{Fault::Kind::Status, 0, 404, std::nullopt, Fault::kEveryRequest},
     "not found on the update server"},
    {"connection dropped",
     Fault{Fault::Kind::DropAfterBytes, 5, 0, std::nullopt, Fault::kEveryRequest}, ""},
    {"never answers",
     Fault{Fault::Kind::StallBeforeHeaders, 0, 0, std::nullopt, Fault::kEveryRequest},
     "did not answer"},
};

TEST(FilesInFlightTest, OneFailingFileLeavesTheOthersInstalledAndRecorded) {
    for (const InFlightFault& c : kFaults) {
        SCOPED_TRACE(c.name);
        WorkflowHarness h(true);
        h.publish(many_files("old"));
        ASSERT_EQ(h.run().end(), WorkflowEnd::Updated);
        const std::vector<TFileRecord> records = h.publish(many_files("new"));
        h.server.add_fault(path_of(kFaulty), c.fault);

        UpdateWorkflow& workflow = h.run();
        EXPECT_EQ(workflow.end(), WorkflowEnd::Updated);
        ASSERT_EQ(workflow.FailedFiles().size(), 1u);
        EXPECT_EQ(workflow.FailedFiles()[0].name, name_of(kFaulty));
        EXPECT_THAT(workflow.FailedFiles()[0].reason, HasSubstr(c.reason));
        TFileList previous(true);
        previous.LoadFromFile(h.previous_list());
        for (int i = 0; i < kFiles; ++i) {
            const bool failed = i == kFaulty;
            EXPECT_EQ(h.read(name_of(i)),
                      std::string(failed ? "old" : "new") + " content of file " + std::to_string(i))
                << name_of(i);
            // The previous list vouches for the new file only where it is.
            const TFileItem* recorded = previous.GetItemByName(name_of(i));
            ASSERT_NE(recorded, nullptr) << name_of(i);
            EXPECT_EQ(recorded->Content.Hash == records[static_cast<std::size_t>(i)].Hash, !failed)
                << name_of(i);
        }
    }
}

// The files after a stalled one were all asked for before the stalled one
// was asked for again: they went on during its stall.
TEST(FilesInFlightTest, AStalledFileDoesNotHoldUpTheFilesBesideIt) {
    WorkflowHarness h(true);
    h.publish(many_files("new"));
    h.server.add_fault(path_of(kFaulty),
                       Fault{Fault::Kind::StallBeforeHeaders, 0, 0, std::nullopt, 1});

    UpdateWorkflow& workflow = h.run();
    EXPECT_TRUE(workflow.FailedFiles().empty());
    const std::vector<LoggedRequest> requests = h.server.requests();
    const auto nth_get = [&](const std::string& path, int n) {
        int seen = 0;
        for (std::size_t i = 0; i < requests.size(); ++i)
            if (requests[i].method == "GET" && requests[i].path == path && ++seen == n)
                return i;
        return requests.size();
    };
    const std::size_t retried = nth_get(path_of(kFaulty), 2);
    ASSERT_LT(retried, requests.size());
    for (int i = kFaulty + 1; i < kFaulty + kDefaultFetchJobs; ++i)
        EXPECT_LT(nth_get(path_of(i), 1), retried) << name_of(i);
    for (int i = 0; i < kFiles; ++i)
        EXPECT_EQ(h.read(name_of(i)), "new content of file " + std::to_string(i));
}

TEST(FilesInFlightTest, ConnectionsToTheServerStayWithinTheCap) {
    for (const int jobs : {2, kDefaultFetchJobs, 20}) {
        SCOPED_TRACE(jobs);
        WorkflowHarness h;
        h.config.Config.Jobs = jobs;
        h.publish(many_files("new"));
        EXPECT_EQ(h.run().end(), WorkflowEnd::Updated);
        EXPECT_TRUE(h.workflow->FailedFiles().empty());
        EXPECT_LE(h.server.most_open_connections(), std::min(jobs, kServerConnectionCap) + 1)
            << "one more for the file list, closed when the files begin";
        EXPECT_GE(h.server.most_open_connections(), 2) << "files were in flight together";
        EXPECT_LE(h.server.connection_count(), std::min(jobs, kServerConnectionCap) + 1)
            << "each slot keeps its connection from one file to the next";
    }
}

TEST(FilesInFlightTest, OneJobFetchesTheFilesInTheWorkListsOrder) {
    WorkflowHarness h;
    h.config.Config.Jobs = 1;
    h.publish(many_files("new"));
    EXPECT_EQ(h.run().end(), WorkflowEnd::Updated);
    std::vector<std::string> fetched;
    for (const LoggedRequest& request : h.server.requests())
        if (request.method == "GET" && request.path.starts_with("/data/"))
            fetched.push_back(request.path);
    std::vector<std::string> in_order = fetched;
    std::sort(in_order.begin(), in_order.end());
    EXPECT_EQ(fetched, in_order);
    EXPECT_EQ(fetched.size(), static_cast<std::size_t>(kFiles));
}

} // namespace
} // namespace launcher::testing
