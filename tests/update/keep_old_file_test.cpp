// A working file is never lost for its replacement: whatever goes wrong with
// the new one, the old file stays as it was and the failure is told.
#include "archive/archive_fixtures.h"
#include "archive/rar4_writer.h"
#include "archive/temporary_name.h"
#include "catalogue/catalogue_line.h"
#include "catalogue/file_catalogue.h"
#include "platform/files.h"
#include "update/workflow_harness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

using ::testing::HasSubstr;

constexpr std::string_view kOld = "old content the player has";
constexpr std::string_view kNew = "new content of the release";

std::string rar_of(std::string_view name, std::string_view content) {
    TempDir scratch;
    write_rar(scratch / "a.rar", {{std::string(name), std::string(content)}});
    return platform::read_file_text(scratch / "a.rar");
}

std::string zip_of(std::string_view name, std::string_view content) {
    TempDir scratch;
    write_zip(scratch / "a.zip", {{std::string(name), std::string(content)}});
    return platform::read_file_text(scratch / "a.zip");
}

// The first file header of one of our RAR 4 archives marked as encrypted,
// its header checksum made good again.
std::string encrypted(std::string archive) {
    constexpr std::size_t kFileHeader = 7 + 13; // after the marker and main header
    archive[kFileHeader + 3] = static_cast<char>(archive[kFileHeader + 3] | 0x04);
    const auto size =
        static_cast<std::size_t>(static_cast<unsigned char>(archive[kFileHeader + 5]) |
                                 static_cast<unsigned char>(archive[kFileHeader + 6]) << 8);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(archive.data() + kFileHeader + 2);
    const auto crc = static_cast<std::uint16_t>(Crc32({bytes, size - 2}) & 0xFFFF);
    archive[kFileHeader] = static_cast<char>(crc & 0xFF);
    archive[kFileHeader + 1] = static_cast<char>(crc >> 8);
    return archive;
}

// A stored archive with one byte of the member's data changed.
std::string damaged(std::string archive, std::string_view content) {
    const std::size_t at = archive.find(content);
    archive[at + 3] = static_cast<char>(archive[at + 3] ^ 0x20);
    return archive;
}

// A zip archive whose headers say its member is `claimed` bytes long, while
// its data inflates to the whole content: the size check at the header
// passes, so only a cap while writing keeps the disk from filling.
std::string understated(std::string archive, std::uint32_t claimed) {
    const auto put = [&](std::size_t at) {
        for (int i = 0; i < 4; ++i)
            archive[at + i] = static_cast<char>(claimed >> (8 * i) & 0xFF);
    };
    const auto each = [&](std::string_view signature, std::size_t size_at) {
        for (std::size_t at = archive.find(signature); at != std::string::npos;
             at = archive.find(signature, at + 4))
            put(at + size_at);
    };
    each(std::string_view("PK\3\4", 4), 22);   // local header, when it gives sizes
    each(std::string_view("PK\7\x08", 4), 12); // data descriptor
    each(std::string_view("PK\1\2", 4), 24);   // central directory
    return archive;
}

struct FaultCase {
    const char* what;
    // The archive the server gives for the file, and whether the file list
    // vouches for exactly those bytes (a packed hash that matches them).
    std::string served;
    bool vouched;
    std::string words; // in the reason the workflow gives
    std::int64_t listed_size = static_cast<std::int64_t>(kNew.size());
};

void PrintTo(const FaultCase& test, std::ostream* out) {
    *out << test.what;
}

std::vector<FaultCase> fault_cases() {
    const std::string good = rar_of("jux.ini", kNew);
    return {
        {"an HTML error page served with 200", "<html>Service unavailable</html>", false,
         "differs from the file list"},
        {"an empty archive", "", false, "differs from the file list"},
        {"a truncated archive", good.substr(0, good.size() / 2), true, "not a readable archive"},
        {"not an archive at all", "plain text", true, "not a readable archive"},
        {"an encrypted member", encrypted(good), true, "encrypted"},
        {"a damaged member the file list vouches for", damaged(good, kNew), true, "jux.ini"},
        {"a large member unlike the file list, hashed while it is written",
         rar_of("jux.ini", std::string(9 << 20, 'x')), true, "differs from the file list", 9 << 20},
        {"a member larger than the file list says",
         zip_of("jux.ini", std::string(8 * 1024 * 1024, '\0')), true, "larger than the file list",
         9},
        {"a member whose headers understate what it inflates to",
         understated(zip_of("jux.ini", std::string(8 * 1024 * 1024, '\0')), 9), true,
         "grows past the size the file list gives", 9},
    };
}

class KeepOldFileTest : public ::testing::TestWithParam<FaultCase> {
protected:
    // The player has the old file; the release brings a new one, compared at
    // every start through the check section.
    void publish_with_archive(const FaultCase& test) {
        Release release{{{"\\system\\jux.ini", std::string(kNew)}}};
        release.check_section = {"\\system\\jux.ini"};
        const auto records = h.publish(release);
        TFileRecord record = records[0];
        record.Size = test.listed_size;
        if (test.vouched)
            record.HashPacked = Md5Of(test.served);
        release.files.clear();
        release.extra_catalogue_lines = {FormatCatalogueLine(record)};
        h.publish(release);
        h.server.serve("/system/jux.ini.vdp", Resource{test.served});
    }

    WorkflowHarness h;
};

TEST_P(KeepOldFileTest, OldFileStaysAndTheFailureIsTold) {
    const FaultCase& test = GetParam();
    h.write("\\system\\jux.ini", kOld);
    publish_with_archive(test);
    UpdateWorkflow& workflow = h.run();

    EXPECT_EQ(h.read("\\system\\jux.ini"), kOld) << "the player's file is untouched";
    EXPECT_EQ(workflow.end(), WorkflowEnd::Updated);
    ASSERT_EQ(workflow.FailedFiles().size(), 1u);
    EXPECT_EQ(workflow.FailedFiles()[0].name, "\\system\\jux.ini");
    EXPECT_THAT(workflow.FailedFiles()[0].reason, HasSubstr(test.words));
    EXPECT_FALSE(workflow.FailedFiles()[0].disk_problem);
    EXPECT_EQ(h.view.statuses.back(), "S26 1");
    EXPECT_TRUE(h.view.start_enabled);

    TFileList previous(true);
    previous.LoadFromFile(h.previous_list());
    EXPECT_EQ(previous.GetItemByName("\\system\\jux.ini"), nullptr)
        << "a file that did not install is not recorded as good";
    for (const auto& entry : std::filesystem::directory_iterator(h.game / "system"))
        EXPECT_FALSE(IsTemporaryName(entry.path().filename().string())) << entry.path();
}

INSTANTIATE_TEST_SUITE_P(Faults, KeepOldFileTest, ::testing::ValuesIn(fault_cases()),
                         [](const auto& param) { return "case" + std::to_string(param.index); });

// 9 MiB, fetched in several ranges and hashed while it is written.
std::string large_content() {
    std::string large(9 << 20, '\0');
    for (std::size_t i = 0; i < large.size(); i += 4093)
        large[i] = static_cast<char>(i % 251);
    return large;
}

TEST(LargeFileTest, ALargeFileHashedWhileItIsWrittenInstallsWhenItMatches) {
    WorkflowHarness h;
    const std::string large = large_content();
    h.write("\\big.pak", kOld);
    Release release{{{"\\big.pak", large}}};
    release.check_section = {"\\big.pak"};
    h.publish(release);
    UpdateWorkflow& workflow = h.run();
    for (const auto& failed : workflow.FailedFiles())
        ADD_FAILURE() << failed.name << ": " << failed.reason;
    EXPECT_TRUE(h.read("\\big.pak") == large) << "the file installed whole";
}

// An archive of several ranges is unpacked while its hash is still being
// taken; when the hash then differs, the unpacked member is thrown away.
TEST(LargeFileTest, AMemberUnpackedBeforeItsArchiveDiffersIsThrownAway) {
    WorkflowHarness h;
    const std::string large = large_content();
    h.write("\\big.pak", kOld);
    Release release{{{"\\big.pak", large}}};
    release.check_section = {"\\big.pak"};
    TFileRecord record = h.publish(release)[0];
    record.HashPacked = Md5Of("another archive");
    release.files.clear();
    release.extra_catalogue_lines = {FormatCatalogueLine(record)};
    h.publish(release);
    h.server.serve("/big.pak.vdp", Resource{rar_of("big.pak", large)});
    UpdateWorkflow& workflow = h.run();

    EXPECT_EQ(h.read("\\big.pak"), kOld);
    ASSERT_EQ(workflow.FailedFiles().size(), 1u);
    EXPECT_THAT(workflow.FailedFiles()[0].reason, HasSubstr("differs from the file list"));
    EXPECT_THAT(h.view.statuses, ::testing::Contains("S1 \\big.pak"))
        << "the member was unpacked while the archive was hashed";
    for (const auto& entry : std::filesystem::directory_iterator(h.game.path()))
        EXPECT_FALSE(IsTemporaryName(entry.path().filename().string())) << entry.path();
}

TEST(KeepOldFileFullCheckTest, AFileTheFullCheckCannotReplaceStaysAndIsCounted) {
    WorkflowHarness h;
    const auto records = h.publish(Release{{{"\\a.txt", "a"}, {"\\b.txt", "b"}}});
    h.run();
    h.write("\\b.txt", "changed by hand");
    h.server.serve("/b.txt.vdp", Resource{"", false, HeadLength::Given, 404});
    UpdateWorkflow& workflow = h.run();
    workflow.Button_CheckAllFilesClick();
    EXPECT_EQ(h.read("\\b.txt"), "changed by hand");
    ASSERT_EQ(workflow.FailedFiles().size(), 1u);
    EXPECT_EQ(h.view.statuses.back(), "S26 1") << "not 'all files checked'";
}

TEST(KeepOldFileFullCheckTest, TheHashingPassShowsItsOwnProgressInTheTotalLine) {
    WorkflowHarness h;
    h.publish(Release{{{"\\1", "a"}, {"\\2", "b"}, {"\\3", "c"}, {"\\4", "d"}}});
    h.run();
    UpdateWorkflow& workflow = h.run();
    h.view.totals.clear();
    workflow.Button_CheckAllFilesClick();
    ASSERT_GE(h.view.totals.size(), 5u);
    EXPECT_EQ(h.view.totals[0], "S24 0%");
    EXPECT_EQ(h.view.totals[4], "S24 100%") << "after the fourth of four files hashed";
}

TEST(LeftoverTest, TemporaryFilesOfAKilledRunAreRemovedWhereTheNextRunWorks) {
    WorkflowHarness h;
    h.publish(Release{{{"\\data\\a.pak", "a"}}});
    const auto leftover = TemporaryNameBeside(h.game / "data" / "a.pak");
    const auto unrelated = h.game / "data" / ".a.pak.keep";
    h.write("\\data\\" + leftover.filename().string(), std::string(1000, 'x'));
    h.write("\\data\\.a.pak.keep", "mine");
    const auto updater_leftover = TemporaryNameBeside(h.game / "updater" / "OldList.lst");
    h.write("\\updater\\" + updater_leftover.filename().string(), "x");
    h.run();
    EXPECT_FALSE(std::filesystem::exists(leftover));
    EXPECT_FALSE(std::filesystem::exists(updater_leftover));
    EXPECT_TRUE(std::filesystem::exists(unrelated)) << "only the launcher's own names";
    EXPECT_EQ(h.read("\\data\\a.pak"), "a");
}

TEST(PreviousListTest, ADamagedLineIsSkippedAndTheRestStillCounts) {
    WorkflowHarness h;
    h.publish(Release{{{"\\a.txt", "a"}, {"\\b.txt", "b"}}});
    h.run();
    std::string list = platform::read_file_text(h.previous_list());
    list += "0123456789ABCDEF0123456789ABCDEF|\\c.txt|1|not a date at all|0\r\n";
    platform::write_file_atomic(h.previous_list(), list);
    h.settings.CheckMode = "Light: Previous List";
    std::filesystem::remove(h.game / "a.txt");

    UpdateWorkflow& workflow = h.run();
    EXPECT_EQ(workflow.end(), WorkflowEnd::Updated);
    EXPECT_EQ(workflow.OldFileList.GetItemByName("\\c.txt"), nullptr);
    EXPECT_NE(workflow.OldFileList.GetItemByName("\\b.txt"), nullptr);
    EXPECT_EQ(h.read("\\a.txt"), "a") << "a missing file is fetched in every mode";
    EXPECT_TRUE(
        std::any_of(h.log.lines().begin(), h.log.lines().end(), [](const std::string& line) {
            return line.find("OldList.lst") != std::string::npos &&
                   line.find("not a date") != std::string::npos;
        }));
}

} // namespace
} // namespace launcher::testing
