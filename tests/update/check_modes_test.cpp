// The three check modes deciding which missing and check-section files are fetched.
#include "catalogue/date_time.h"
#include "catalogue/file_catalogue.h"
#include "platform/file.h"
#include "platform/files.h"
#include "update/workflow_harness.h"

#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

enum class Damage { Content, ContentKeepingDate, DeleteFile, TouchDate };

struct ModeCase {
    const char* check_mode;
    Damage damage;
    bool keep_previous_list;
    bool fetched;
};

std::ostream& operator<<(std::ostream& out, const ModeCase& c) {
    return out << c.check_mode << " damage " << static_cast<int>(c.damage) << " previous "
               << c.keep_previous_list;
}

class CheckModeTest : public ::testing::TestWithParam<ModeCase> {
protected:
    void SetUp() override {
        Release release{{{"\\System\\Jux.ini", "port=7000"}, {"\\b.txt", "bee"}}};
        release.check_section = {"\\system\\jux.ini"};
        h.publish(release);
        h.run(); // installs both in hard mode
        ASSERT_EQ(h.read("\\System\\Jux.ini"), "port=7000");
    }

    WorkflowHarness h;
};

TEST_P(CheckModeTest, DecidesByItsOwnComparison) {
    const ModeCase& c = GetParam();
    const auto jux = h.game / "System" / "Jux.ini";
    const platform::FileStatus before = platform::file_status(jux).value_or(platform::FileStatus{});
    switch (c.damage) {
    case Damage::Content:
        h.write("\\System\\Jux.ini", "port=7001");
        break;
    case Damage::ContentKeepingDate: {
        h.write("\\System\\Jux.ini", "port=7001");
        ASSERT_TRUE(
            platform::set_file_times(jux, {std::nullopt, before.accessed, before.modified}));
        break;
    }
    case Damage::DeleteFile:
        std::filesystem::remove(h.game / "b.txt");
        break;
    case Damage::TouchDate:
        std::filesystem::last_write_time(jux, std::filesystem::file_time_type::clock::now());
        break;
    }
    if (!c.keep_previous_list)
        std::filesystem::remove(h.previous_list());
    h.settings.CheckMode = c.check_mode;

    const std::string name = c.damage == Damage::DeleteFile ? "/b.txt.vdp" : "/System/Jux.ini.vdp";
    const int gets_before = h.requests("GET", name);
    h.run();
    EXPECT_EQ(h.requests("GET", name) - gets_before, c.fetched ? 1 : 0);
    if (c.fetched) {
        EXPECT_EQ(h.read("\\System\\Jux.ini"), "port=7000");
        EXPECT_EQ(h.read("\\b.txt"), "bee");
    }
    if (c.damage == Damage::TouchDate) {
        const auto after = platform::file_status(jux).value_or(platform::FileStatus{});
        // Hard mode dates an intact check-section file; medium fetches it again.
        EXPECT_DOUBLE_EQ(local_date_time_from_file_time(after.modified), kSummerDate);
    }
    EXPECT_TRUE(h.view.start_enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, CheckModeTest,
    ::testing::Values(ModeCase{"Hard: MD5 Hash", Damage::Content, true, true},
                      ModeCase{"Hard: MD5 Hash", Damage::TouchDate, true, false},
                      ModeCase{"Hard: MD5 Hash", Damage::DeleteFile, true, true},
                      ModeCase{"Medium: Size & Date", Damage::Content, true, true},
                      ModeCase{"Medium: Size & Date", Damage::ContentKeepingDate, true, false},
                      ModeCase{"Medium: Size & Date", Damage::TouchDate, true, true},
                      ModeCase{"Light: Previous List", Damage::Content, true, false},
                      // A missing file is fetched in every mode.
                      ModeCase{"Light: Previous List", Damage::DeleteFile, true, true},
                      ModeCase{"Light: Previous List", Damage::Content, false, true},
                      ModeCase{"light: previous list", Damage::DeleteFile, false, true},
                      ModeCase{"Something else", Damage::Content, true, true}));

TEST(CheckModeLightTest, FileUnknownToThePreviousListIsFetchedWithTheCatalogueRecord) {
    WorkflowHarness h;
    const auto records = h.publish(Release{{{"\\a.txt", "a"}}});
    h.settings.CheckMode = "Light: Previous List";
    h.run();
    EXPECT_EQ(h.read("\\a.txt"), "a");
    TFileList previous(true);
    previous.LoadFromFile(h.previous_list());
    ASSERT_NE(previous.GetItemByName("\\a.txt"), nullptr);
    EXPECT_EQ(previous.GetItemByName("\\a.txt")->Content, records[0]);
}

TEST(CheckModeDriveTest, EveryDriveTypeHashesTheCheckSection) {
    for (const char* drive : {"HDD", "SSD", "ssd", "floppy"}) {
        WorkflowHarness h;
        Release release;
        for (int i = 0; i < 12; ++i)
            release.files.push_back({"\\f" + std::to_string(i), std::string(100, 'a' + i)});
        for (const GameFile& file : release.files)
            release.check_section.push_back(file.name);
        h.publish(release);
        h.settings.DriveType = drive;
        h.run();
        h.write("\\f5", "damaged");
        h.run();
        EXPECT_EQ(h.read("\\f5"), std::string(100, 'f')) << drive;
        EXPECT_TRUE(h.view.showed("S2 \\f11")) << drive;
    }
}

} // namespace
} // namespace launcher::testing

namespace launcher::testing {
namespace {

// Catalogue dates no file system holds as they are: medium mode compares the
// file's date with what the file system kept of them, so an installed file
// is not fetched again at every start.
TEST(CheckModeMediumTest, DatesTheFileSystemCannotHoldCompareAsKept) {
    struct Case {
        const char* name;
        TDateTime date;
    };
    const Case cases[] = {
        {"28 December 1899, noon", -1.5},
        {"31 December 9999, noon", 2958465.5},
        {"ten million days, past the calendar", 1e7},
        {"1 January 1601", -109205.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkflowHarness h;
        Release release{{{"\\old.txt", "dated oddly", c.date}, {"\\b.txt", "bee"}}};
        release.check_section = {"\\old.txt"};
        h.publish(release);
        h.settings.CheckMode = "Medium: Size & Date";
        h.run();
        ASSERT_EQ(h.read("\\old.txt"), "dated oddly");
        const int fetched = h.requests("GET", "/old.txt.vdp");

        UpdateWorkflow& again = h.run();
        EXPECT_EQ(h.requests("GET", "/old.txt.vdp"), fetched) << "fetched again";
        EXPECT_EQ(again.end(), WorkflowEnd::Updated);
        EXPECT_TRUE(again.FailedFiles().empty());
        EXPECT_TRUE(h.view.showed("S3 ")) << "all files are up to date";
    }
}

} // namespace
} // namespace launcher::testing
