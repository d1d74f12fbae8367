// The start-up work list: which present files a start examines beside the
// missing and check-section ones, what each check mode makes of them, and
// what the previous list keeps.
#include "catalogue/file_catalogue.h"
#include "platform/file.h"
#include "platform/files.h"
#include "update/check_settings.h"
#include "update/work_list.h"
#include "update/workflow_harness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

using ::testing::HasSubstr;

constexpr const char* kHard = "Hard: MD5 Hash";
constexpr const char* kMedium = "Medium: Size & Date";
constexpr const char* kLight = "Light: Previous List";
constexpr TDateTime kLaterDate = kSummerDate + 3.0;

// What the player's folder is like when release 2 comes.
enum class Player {
    UpToDate,        // installed release 1, its previous list intact
    Copied,          // release 1 copied in: no previous list
    EditedLocally,   // b.txt edited to another size; its record still matches release 1
    EditedKeptStamp, // b.txt edited keeping its size and date; no previous list
    Deleted,         // b.txt deleted by hand; its record still matches
    StaleRecord,     // b.txt is release 1's, its record names another hash
};

// How release 2 differs from release 1 in b.txt.
enum class Change {
    None,
    SameSizeNewDate, // a publisher's edit: another date
    SameSizeAndDate, // a tool that restored the date
    NewSize,
};

struct WorkListCase {
    const char* mode;
    Player player;
    Change change;
    bool fetched; // b.txt's archive was fetched
    bool read;    // b.txt was examined by the hasher (hard: its content read)
    const char* b_after;
};

std::ostream& operator<<(std::ostream& out, const WorkListCase& c) {
    return out << c.mode << " player " << static_cast<int>(c.player) << " change "
               << static_cast<int>(c.change);
}

std::string content_after(Change change) {
    switch (change) {
    case Change::None:
        return "bravo";
    case Change::SameSizeNewDate:
    case Change::SameSizeAndDate:
        return "BRAVO";
    case Change::NewSize:
        return "bravo, longer";
    }
    return {};
}

Release release_with(Change change) {
    GameFile b{"\\b.txt", content_after(change)};
    if (change == Change::SameSizeNewDate || change == Change::NewSize)
        b.date = kLaterDate;
    return Release{{{"\\a.txt", "alpha"}, b, {"\\data\\c.bin", "charlie"}}};
}

void replace_previous_hash(const std::filesystem::path& list, std::string_view name,
                           std::string_view hash) {
    TFileList previous(true);
    previous.LoadFromFile(list);
    previous.GetItemByName(name)->Content.Hash = hash;
    previous.SaveToFile(list);
}

class WorkListTest : public ::testing::TestWithParam<WorkListCase> {};

TEST_P(WorkListTest, StartExaminesWhatThePreviousListDoesNotVouchFor) {
    const WorkListCase& c = GetParam();
    WorkflowHarness h;
    h.publish(release_with(Change::None));
    h.run();
    ASSERT_EQ(h.read("\\b.txt"), "bravo");
    const auto b = h.game / "b.txt";
    switch (c.player) {
    case Player::UpToDate:
        break;
    case Player::Copied:
        std::filesystem::remove(h.previous_list());
        break;
    case Player::EditedLocally:
        h.write("\\b.txt", "edited by hand");
        break;
    case Player::EditedKeptStamp: {
        const auto before = platform::file_status(b).value();
        h.write("\\b.txt", "bRaVo");
        ASSERT_TRUE(platform::set_file_times(b, {std::nullopt, before.accessed, before.modified}));
        std::filesystem::remove(h.previous_list());
        break;
    }
    case Player::Deleted:
        std::filesystem::remove(b);
        break;
    case Player::StaleRecord:
        replace_previous_hash(h.previous_list(), "\\b.txt", "0123456789ABCDEF0123456789ABCDEF");
        break;
    }
    const std::vector<TFileRecord> release = h.publish(release_with(c.change));
    h.settings.CheckMode = c.mode;

    const int gets_before = h.requests("GET", "/b.txt.vdp");
    h.run();
    EXPECT_EQ(h.requests("GET", "/b.txt.vdp") - gets_before, c.fetched ? 1 : 0);
    EXPECT_EQ(h.view.showed("S2 \\b.txt"), c.read);
    EXPECT_FALSE(h.view.showed("S2 \\a.txt")) << "a file the previous list vouches for is not read";
    EXPECT_EQ(h.read("\\b.txt"), c.b_after);
    EXPECT_EQ(h.read("\\a.txt"), "alpha");
    EXPECT_TRUE(h.workflow->FailedFiles().empty());
    // The full check still examines every file that was there.
    EXPECT_EQ(h.workflow->CheckAll.GetItemByName("\\b.txt") != nullptr,
              c.player != Player::Deleted);

    // Whatever was examined is recorded: the previous list holds the release.
    TFileList previous(true);
    previous.LoadFromFile(h.previous_list());
    ASSERT_EQ(previous.Count(), 3);
    for (const TFileRecord& record : release)
        EXPECT_EQ(previous.GetItemByName(record.Name)->Content.Hash, record.Hash) << record.Name;

    // The next start reads nothing and fetches nothing.
    const std::size_t before = h.server.requests().size();
    h.run();
    EXPECT_TRUE(h.view.showed("S3 "));
    for (const std::string& status : h.view.statuses)
        EXPECT_FALSE(status.starts_with("S2 ")) << status;
    const std::vector<LoggedRequest> requests = h.server.requests();
    for (std::size_t i = before; i < requests.size(); ++i)
        EXPECT_FALSE(requests[i].path.ends_with(".txt.vdp") ||
                     requests[i].path.ends_with(".bin.vdp"))
            << requests[i].path;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, WorkListTest,
    ::testing::Values(
        // An up-to-date folder: nothing outside the check section is read.
        WorkListCase{kHard, Player::UpToDate, Change::None, false, false, "bravo"},
        WorkListCase{kMedium, Player::UpToDate, Change::None, false, false, "bravo"},
        WorkListCase{kLight, Player::UpToDate, Change::None, false, false, "bravo"},
        // A republished file reaches a player whose previous list is intact.
        WorkListCase{kHard, Player::UpToDate, Change::SameSizeNewDate, true, true, "BRAVO"},
        WorkListCase{kHard, Player::UpToDate, Change::SameSizeAndDate, true, true, "BRAVO"},
        WorkListCase{kHard, Player::UpToDate, Change::NewSize, true, true, "bravo, longer"},
        WorkListCase{kMedium, Player::UpToDate, Change::SameSizeNewDate, true, true, "BRAVO"},
        WorkListCase{kMedium, Player::UpToDate, Change::NewSize, true, true, "bravo, longer"},
        // Medium mode trusts size and date, as the player chose.
        WorkListCase{kMedium, Player::UpToDate, Change::SameSizeAndDate, false, true, "bravo"},
        WorkListCase{kLight, Player::UpToDate, Change::SameSizeAndDate, true, false, "BRAVO"},
        WorkListCase{kLight, Player::UpToDate, Change::NewSize, true, false, "bravo, longer"},
        // A copied install: size and date decide before anything is read.
        WorkListCase{kHard, Player::Copied, Change::None, false, false, "bravo"},
        WorkListCase{kLight, Player::Copied, Change::None, false, false, "bravo"},
        WorkListCase{kHard, Player::Copied, Change::NewSize, true, true, "bravo, longer"},
        WorkListCase{kMedium, Player::Copied, Change::SameSizeNewDate, true, true, "BRAVO"},
        WorkListCase{kLight, Player::Copied, Change::SameSizeNewDate, true, false, "BRAVO"},
        // A local edit the previous list does not know of: only the full
        // check finds it while the release keeps the file.
        WorkListCase{kHard, Player::EditedLocally, Change::None, false, false, "edited by hand"},
        WorkListCase{kHard, Player::EditedLocally, Change::NewSize, true, true, "bravo, longer"},
        WorkListCase{kHard, Player::EditedKeptStamp, Change::None, false, false, "bRaVo"},
        WorkListCase{kHard, Player::EditedKeptStamp, Change::SameSizeNewDate, true, true, "BRAVO"},
        // A missing file is fetched in every mode.
        WorkListCase{kHard, Player::Deleted, Change::None, true, true, "bravo"},
        WorkListCase{kLight, Player::Deleted, Change::None, true, false, "bravo"},
        WorkListCase{kMedium, Player::Deleted, Change::None, true, true, "bravo"},
        // A record that no longer matches: hard mode reads the file and
        // finds it current; light mode can only fetch.
        WorkListCase{kHard, Player::StaleRecord, Change::None, false, true, "bravo"},
        WorkListCase{kLight, Player::StaleRecord, Change::None, true, false, "bravo"}));

TEST(WorkListPreviousListTest, WrittenOnTheNothingToUpdatePathOnlyWhenItChanged) {
    WorkflowHarness h;
    h.publish(Release{{{"\\a.txt", "alpha"}, {"\\b.txt", "bravo"}}});
    h.run();
    const std::string written = platform::read_file_text(h.previous_list());

    // Up to date: the list is not touched.
    const auto stamp = std::filesystem::last_write_time(h.previous_list()) - std::chrono::hours(1);
    std::filesystem::last_write_time(h.previous_list(), stamp);
    h.run();
    EXPECT_TRUE(h.view.showed("S3 "));
    EXPECT_EQ(std::filesystem::last_write_time(h.previous_list()), stamp);

    // A copied install: every file matched by size and date is recorded.
    std::filesystem::remove(h.previous_list());
    h.run();
    EXPECT_TRUE(h.view.showed("S3 "));
    EXPECT_EQ(platform::read_file_text(h.previous_list()), written);
}

struct DamagedListCase {
    const char* what;
    std::string text; // OldList.lst as the player's folder holds it, before the good lines
    bool used;        // its good records count (otherwise it counts as no previous list)
};

TEST(WorkListPreviousListTest, DamagedOrHugeListsAreNotWrittenBack) {
    const std::string hash = "0123456789ABCDEF0123456789ABCDEF";
    const DamagedListCase cases[] = {
        {"a junk line among records", "junk without separators\r\n", true},
        {"a record outside the game folder", hash + "|\\..\\x|5|0|" + hash + "\r\n", true},
        {"a short hash", "ABC|\\a.txt|5|0|" + hash + "\r\n", true},
        {"mostly junk",
         std::string(50, 'j') + "\r\n" + std::string(40, 'k') + "\r\n" + std::string(30, 'l') +
             "\r\n",
         false},
        {"far larger than the file list", std::string(3 << 20, 'x'), false},
    };
    for (const DamagedListCase& c : cases) {
        WorkflowHarness h;
        h.publish(Release{{{"\\a.txt", "alpha"}, {"\\b.txt", "bravo"}}});
        h.run();
        const std::string good = platform::read_file_text(h.previous_list());
        platform::write_file_atomic(h.previous_list(), c.text + good);
        // Edited with its size kept: a list that is used vouches for it, a
        // list that is not leaves the new date to tell it.
        h.write("\\b.txt", "BRAVO");
        h.run();
        const std::string after = platform::read_file_text(h.previous_list());
        EXPECT_EQ(after, good) << c.what;
        EXPECT_EQ(h.read("\\b.txt"), c.used ? "BRAVO" : "bravo") << c.what;
        EXPECT_TRUE(h.workflow->FailedFiles().empty()) << c.what;
        EXPECT_TRUE(h.view.showed("S3 ") || h.view.showed("S5 ")) << c.what;
    }
}

// Names the release cannot vouch for are never fetched, and the run says so.
struct RefusedNameCase {
    const char* what;
    Release release;
    std::string failed_name;
    std::string reason;
};

TEST(WorkListRefusedNamesTest, AreToldAsNotUpdated) {
    const std::string hash = "0123456789ABCDEF0123456789ABCDEF";
    const RefusedNameCase cases[] = {
        {"an unsafe catalogue name",
         Release{{{"\\a.txt", "alpha"}}, {}, {}, {hash + "|\\..\\x|5|0|" + hash}}, "\\..\\x",
         "leaves the game folder"},
        {"a check name the catalogue lacks", Release{{{"\\a.txt", "alpha"}}, {"\\ghost.dll"}},
         "\\ghost.dll", "does not list it"},
        {"an unsafe check name", Release{{{"\\a.txt", "alpha"}}, {"\\..\\up.dll"}}, "\\..\\up.dll",
         "leaves the game folder"},
        {"an unsafe removal name", Release{{{"\\a.txt", "alpha"}}, {}, {{"\\..\\up.dll"}}},
         "\\..\\up.dll", "leaves the game folder"},
    };
    for (const char* mode : {kHard, kLight}) {
        for (const RefusedNameCase& c : cases) {
            WorkflowHarness h;
            h.settings.CheckMode = mode;
            h.publish(c.release);
            UpdateWorkflow& workflow = h.run();
            EXPECT_EQ(h.read("\\a.txt"), "alpha") << c.what;
            ASSERT_EQ(workflow.FailedFiles().size(), 1u) << c.what << " " << mode;
            EXPECT_EQ(workflow.FailedFiles()[0].name, c.failed_name) << c.what;
            EXPECT_THAT(workflow.FailedFiles()[0].reason, HasSubstr(c.reason)) << c.what;
            EXPECT_TRUE(h.view.showed("S26 1")) << c.what;
            EXPECT_FALSE(h.view.showed("S3 ")) << c.what;
            for (const LoggedRequest& request : h.server.requests())
                EXPECT_THAT(request.path, ::testing::Not(HasSubstr("up.dll"))) << c.what;
            EXPECT_EQ(h.requests("GET", "/ghost.dll.vdp"), 0) << c.what;

            // Up to date otherwise: the next start tells the same and fetches nothing.
            h.run();
            EXPECT_EQ(h.workflow->FailedFiles().size(), 1u) << c.what;
            EXPECT_EQ(h.requests("GET", "/a.txt.vdp"), 1) << c.what;
            EXPECT_EQ(h.requests("GET", "/ghost.dll.vdp"), 0) << c.what;
        }
    }
}

TEST(WorkListRemovalTest, AFileTheCatalogueListsIsNotRemoved) {
    WorkflowHarness h;
    h.publish(Release{{{"\\a.txt", "alpha"}, {"\\old.dll", "old"}}});
    h.run();
    h.publish(Release{{{"\\a.txt", "alpha"}}, {}, {{"\\old.dll", "\\a.txt"}}});
    h.run();
    EXPECT_FALSE(h.exists("\\old.dll"));
    EXPECT_EQ(h.read("\\a.txt"), "alpha");
    EXPECT_TRUE(h.logged("Kept a file the file list both lists and removes: \\a.txt"));
    EXPECT_TRUE(h.workflow->FailedFiles().empty());
}

} // namespace
} // namespace launcher::testing

namespace launcher::testing {
namespace {

// Publishers' tools write hash digits in either letter case: a file is not
// fetched again at every start for that.
TEST(WorkListHashCaseTest, HashesCompareWithoutLetterCase) {
    TFileRecord listed{"\\b.txt", "0123456789abcdef0123456789abcdef", std::string(kPlaceholderHash),
                       4, kSummerDate};
    TFileRecord local = listed;
    local.Hash = "0123456789ABCDEF0123456789ABCDEF";
    EXPECT_EQ(JudgeWorkEntry(kLevelHard, local, false, listed, nullptr), WorkVerdict::Equal);
    EXPECT_EQ(JudgeWorkEntry(kLevelLight, TFileRecord{}, false, listed, &local),
              WorkVerdict::Current);
    EXPECT_EQ(ClassifyPresentFile(listed, &local, [] { return std::nullopt; }),
              PresentFile::Current);
    local.Hash[0] = '1';
    EXPECT_EQ(JudgeWorkEntry(kLevelHard, local, false, listed, nullptr), WorkVerdict::Fetch);
}

} // namespace
} // namespace launcher::testing
