// The full check of every file the start-up did not examine.
#include "catalogue/file_catalogue.h"
#include "update/workflow_harness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

using ::testing::ElementsAre;

Release hundred_files() {
    Release release;
    for (int i = 0; i < 100; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "\\data\\f%03d.bin", i);
        release.files.push_back({name, std::string(64, static_cast<char>('A' + i % 26))});
    }
    return release;
}

class FullCheckTest : public ::testing::Test {
protected:
    void install(const Release& release) {
        h.publish(release);
        h.run();
        ASSERT_EQ(h.workflow->end(), WorkflowEnd::Updated);
    }
    WorkflowHarness h;
};

TEST_F(FullCheckTest, HardModeRefetchesOnlyTheDamagedFile) {
    install(hundred_files());
    h.write("\\data\\f041.bin", "damaged");
    UpdateWorkflow& workflow = h.run();
    EXPECT_EQ(workflow.CheckAll.Count(), 100);
    workflow.Button_CheckAllFilesClick();

    EXPECT_EQ(h.read("\\data\\f041.bin"), std::string(64, 'A' + 41 % 26));
    EXPECT_EQ(h.requests("GET", "/data/f041.bin.vdp"), 2);
    EXPECT_EQ(h.requests("GET", "/data/f040.bin.vdp"), 1);
    EXPECT_THAT(h.view.positions(Indicator::ProgressBar_Total), ::testing::Contains(42));
    EXPECT_EQ(h.view.positions(Indicator::ProgressBar_Total).back(), 100);
    EXPECT_THAT(h.view.totals, ::testing::IsSupersetOf({"S24 0%", "S24 41%", "S24 100%"}));
    EXPECT_EQ(h.view.statuses.back(), "S6 ");
    EXPECT_FALSE(h.view.check_all_enabled);
    TFileList previous(true);
    previous.LoadFromFile(h.previous_list());
    EXPECT_EQ(previous.Count(), 100);
}

TEST_F(FullCheckTest, RunsOncePerStart) {
    install(hundred_files());
    UpdateWorkflow& workflow = h.run();
    workflow.Button_CheckAllFilesClick();
    h.write("\\data\\f001.bin", "damaged");
    workflow.Button_CheckAllFilesClick();
    EXPECT_EQ(h.read("\\data\\f001.bin"), "damaged");
}

TEST_F(FullCheckTest, EmptyListLeavesTheButtonEnabled) {
    Release release{{{"\\a.txt", "a"}}};
    release.check_section = {"\\a.txt"};
    install(release);
    UpdateWorkflow& workflow = h.run();
    EXPECT_EQ(workflow.CheckAll.Count(), 0);
    workflow.Button_CheckAllFilesClick();
    EXPECT_TRUE(h.view.check_all_enabled);
    EXPECT_THAT(h.view.statuses, ::testing::Contains("S6 "));
}

TEST_F(FullCheckTest, LightModeDecidesByThePreviousListAlone) {
    install(hundred_files());
    h.write("\\data\\f007.bin", "damaged on disk but the list says fine");
    h.settings.CheckMode = "Light: Previous List";
    UpdateWorkflow& workflow = h.run();
    workflow.Button_CheckAllFilesClick();
    EXPECT_EQ(h.read("\\data\\f007.bin"), "damaged on disk but the list says fine");
    EXPECT_EQ(h.requests("GET", "/data/f007.bin.vdp"), 1);
}

TEST_F(FullCheckTest, LightModeWithoutPreviousListFetchesWhatSizeAndDateCannotVouchFor) {
    install(Release{{{"\\a.txt", "a"}, {"\\b.txt", "b"}}});
    std::filesystem::remove(h.previous_list());
    std::filesystem::last_write_time(h.game / "b.txt",
                                     std::filesystem::file_time_type::clock::now());
    h.settings.CheckMode = "Light: Previous List";
    UpdateWorkflow& workflow = h.run();
    workflow.Button_CheckAllFilesClick();
    EXPECT_EQ(h.requests("GET", "/a.txt.vdp"), 1) << "its size and date are the catalogue's";
    EXPECT_EQ(h.requests("GET", "/b.txt.vdp"), 2);
    TFileList previous(true);
    previous.LoadFromFile(h.previous_list());
    EXPECT_EQ(previous.Count(), 2);
}

TEST_F(FullCheckTest, MediumModeRecordsMatchingFilesAndPrunesWithdrawnNames) {
    install(Release{{{"\\a.txt", "a"}, {"\\old.txt", "o"}}});
    h.publish(Release{{{"\\a.txt", "a"}}});
    h.settings.CheckMode = "Medium: Size & Date";
    UpdateWorkflow& workflow = h.run();
    workflow.Button_CheckAllFilesClick();
    TFileList previous(true);
    previous.LoadFromFile(h.previous_list());
    ASSERT_EQ(previous.Count(), 1);
    EXPECT_EQ(previous.GetItemByID(0)->Content.Name, "\\a.txt");
    EXPECT_EQ(h.requests("GET", "/a.txt.vdp"), 1);
}

} // namespace
} // namespace launcher::testing
