#include "catalogue/file_catalogue.h"
#include "catalogue/md5.h"
#include "platform/file.h"
#include "platform/files.h"
#include "platform/folder_lock.h"
#include "platform/text.h"
#include "platform/utf8_path.h"
#include "publish/release_publisher.h"
#include "served_tree.h"
#include "support/temp_dir.h"
#include "update/packed_files.h"

#include <filesystem>
#include <optional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher {
namespace {

using publish::PackedFormat;
using publish::PublishError;
using publish::PublishOptions;
using publish::PublishRelease;
using testing::FolderContent;
using ::testing::HasSubstr;
using testing::ServedCatalogue;
using testing::ServedTreeProblem;
using testing::TempDir;

class PublishReleaseTest : public ::testing::TestWithParam<PackedFormat> {
protected:
    PublishReleaseTest() {
        dir.write("game/system/jux.ini", "[client]\r\nserver=1\r\n");
        dir.write("game/system/data/big.bin", std::string(300000, 'b'));
        dir.write("game/Документ.txt", "кириллица");
        dir.write("game/empty.dat", "");
        options.game_dir = dir / "game";
        options.out_dir = dir / "server";
        options.format = GetParam();
    }

    TempDir dir;
    PublishOptions options;
};

TEST_P(PublishReleaseTest, EveryPackedArchiveVerifiesAndExtractsToItsFile) {
    const auto summary = PublishRelease(options);
    EXPECT_EQ(summary.files, 4u);
    EXPECT_EQ(summary.packed, 4u);

    const TFileList catalogue = ServedCatalogue(dir / "server");
    ASSERT_EQ(catalogue.Count(), 4);
    for (int id = 0; id < catalogue.Count(); ++id) {
        const auto& record = catalogue.GetItemByID(id)->Content;
        ASSERT_EQ(record.Name.front(), '\\');
        auto archive = platform::native_path(dir / "server", record.Name);
        archive += ".vdp";
        EXPECT_EQ(MD5File(archive), record.HashPacked) << record.Name;

        const auto folder = platform::native_path(dir / "install", record.Name).parent_path();
        const auto file = platform::native_path(dir / "install", record.Name);
        const auto unpacked =
            UnpackArchive(archive, folder, dir.path(),
                          {platform::utf8_of(file.filename()), record.Hash, record.Size});
        EXPECT_TRUE(unpacked.MemberPlaced) << record.Name << ": " << unpacked.Failure;
        EXPECT_EQ(MD5File(file), record.Hash) << record.Name;
        EXPECT_EQ(static_cast<std::int64_t>(std::filesystem::file_size(file)), record.Size);
    }
    EXPECT_NE(catalogue.GetItemByName("\\SYSTEM\\JUX.INI"), nullptr);
    EXPECT_NE(catalogue.GetItemByName("\\документ.txt"), nullptr);
    EXPECT_EQ(ServedTreeProblem(dir / "server"), "");
}

INSTANTIATE_TEST_SUITE_P(Formats, PublishReleaseTest,
                         ::testing::Values(PackedFormat::rar, PackedFormat::sevenzip,
                                           PackedFormat::zip));

class RepublishTest : public PublishReleaseTest {};

TEST_P(RepublishTest, OnlyChangedFilesArePackedAgainAndGoneFilesRemoved) {
    PublishRelease(options);
    const auto untouched = std::filesystem::last_write_time(dir / "server/system/data/big.bin.vdp");

    dir.write("game/system/jux.ini", "[client]\r\nserver=22\r\n");
    dir.write("game/new/folder/added.txt", "added");
    std::filesystem::remove(dir / "game/empty.dat");
    const auto summary = PublishRelease(options);
    EXPECT_EQ(summary.packed, 2u);
    EXPECT_EQ(summary.reused, 2u);
    EXPECT_EQ(summary.removed, 1u);
    EXPECT_FALSE(std::filesystem::exists(dir / "server/empty.dat.vdp"));
    EXPECT_EQ(std::filesystem::last_write_time(dir / "server/system/data/big.bin.vdp"), untouched);
    const auto written = [&](std::string_view name) {
        return std::filesystem::file_size(dir / "server" / name);
    };
    EXPECT_EQ(summary.bytes_written, written("system/jux.ini.vdp") +
                                         written("new/folder/added.txt.vdp") +
                                         written("updater.lst") + written("updater.lst.vdp"));

    const TFileList catalogue = ServedCatalogue(dir / "server");
    EXPECT_EQ(catalogue.Count(), 4);
    EXPECT_EQ(catalogue.GetItemByName("\\system\\jux.ini")->Content.Hash,
              MD5File(dir / "game/system/jux.ini"));
    EXPECT_EQ(ServedTreeProblem(dir / "server"), "");
}

TEST_P(RepublishTest, ATouchedFileKeepsItsArchiveAndTakesItsNewDate) {
    PublishRelease(options);
    const auto archive = dir / "server/system/jux.ini.vdp";
    const auto archive_time = std::filesystem::last_write_time(archive);
    const auto file = dir / "game/system/jux.ini";
    std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) +
                                               std::chrono::hours(3));

    const auto summary = PublishRelease(options);
    EXPECT_EQ(summary.packed, 0u);
    EXPECT_EQ(std::filesystem::last_write_time(archive), archive_time);
    const auto record = ServedCatalogue(dir / "server").GetItemByName("\\system\\jux.ini")->Content;
    const auto status = platform::File(file, platform::File::Mode::Read).status();
    EXPECT_EQ(record.Date, local_date_time_from_file_time(status.modified));
    EXPECT_EQ(ServedTreeProblem(dir / "server"), "");
}

TEST_P(RepublishTest, ChecksumFindsAContentChangeThatKeptSizeAndDate) {
    PublishRelease(options);
    const auto file = dir / "game/system/jux.ini";
    const auto kept = platform::file_status(file).value();
    dir.write("game/system/jux.ini", "[client]\r\nserver=2\r\n"); // the same size
    ASSERT_TRUE(platform::set_file_times(file, {std::nullopt, std::nullopt, kept.modified}))
        << "as `touch -r` does";

    EXPECT_EQ(PublishRelease(options).packed, 0u) << "the quick check compares size and date";
    options.checksum = true;
    const auto summary = PublishRelease(options);
    EXPECT_EQ(summary.packed, 1u);
    EXPECT_EQ(ServedCatalogue(dir / "server").GetItemByName("\\system\\jux.ini")->Content.Hash,
              MD5File(file));
    EXPECT_EQ(ServedTreeProblem(dir / "server"), "");
}

INSTANTIATE_TEST_SUITE_P(Rar, RepublishTest, ::testing::Values(PackedFormat::rar));

class StagingTest : public ::testing::Test {
protected:
    StagingTest() {
        for (int i = 0; i < 12; ++i)
            dir.write("game/data/f" + std::to_string(i) + ".dat", std::string(1000 + i, 'a' + i));
        dir.write("game/system/jux.ini", "[client]\r\nserver=1\r\n");
        options.game_dir = dir / "game";
        options.out_dir = dir / "server";
        PublishRelease(options);
        release = FolderContent(dir / "server");
    }

    TempDir dir;
    PublishOptions options;
    std::map<std::string, std::string> release; // the served tree of the first release
};

TEST_F(StagingTest, AFailedPublishLeavesTheReleaseAsItWasAndTheNextOneCompletes) {
    for (int i = 0; i < 12; i += 2)
        dir.write("game/data/f" + std::to_string(i) + ".dat", "changed " + std::to_string(i));
    dir.write("game/new/deep/added.txt", "added");
    // Sorted last, so every other change is staged when it fails; a lock
    // taken by a writer fails the read even for root.
    const auto locked = dir.write("game/zz/locked.bin", "being written");
    std::optional<platform::File> writer(std::in_place, locked, platform::File::Mode::ReadWrite);
    ASSERT_TRUE(writer->try_lock(platform::File::Lock::Exclusive));
    try {
        PublishRelease(options);
        ADD_FAILURE() << "published";
    } catch (const PublishError& error) {
        EXPECT_THAT(error.what(),
                    HasSubstr(platform::utf8_of(std::filesystem::path(locked).make_preferred())));
        EXPECT_THAT(error.what(), HasSubstr("is unchanged"));
    }
    EXPECT_EQ(FolderContent(dir / "server"), release);
    EXPECT_FALSE(std::filesystem::exists(dir / "server/new"));
    EXPECT_FALSE(std::filesystem::exists(dir / "server/zz"));
    writer.reset();

    const auto summary = PublishRelease(options);
    EXPECT_EQ(summary.packed, 8u);
    EXPECT_EQ(ServedTreeProblem(dir / "server"), "");
    EXPECT_EQ(ServedCatalogue(dir / "server").Count(), 15);
}

TEST_F(StagingTest, LeftoversOfAKilledPublishAreRemoved) {
    dir.write("server/data/f1.dat.vdp.publish-tmp", "half an archive");
    dir.write("server/new/deep/added.txt.vdp.publish-tmp", "half an archive");
    const auto summary = PublishRelease(options);
    EXPECT_EQ(summary.packed, 0u);
    EXPECT_EQ(FolderContent(dir / "server"), release);
    EXPECT_FALSE(std::filesystem::exists(dir / "server/new"));
}

TEST_F(StagingTest, ARemovalKilledHalfWayIsCompletedByTheNextPublish) {
    std::filesystem::copy(dir / "server", dir / "first", std::filesystem::copy_options::recursive);
    std::filesystem::remove(dir / "game/data/f3.dat");
    std::filesystem::remove(dir / "game/system/jux.ini");
    PublishRelease(options);
    const auto second = FolderContent(dir / "server");
    // As a kill after the release changed leaves it: the archives of gone
    // files still there, their names in the list of the removal.
    std::filesystem::copy_file(dir / "first/data/f3.dat.vdp", dir / "server/data/f3.dat.vdp");
    dir.write("server/system/jux.ini.vdp",
              platform::read_file_text(dir / "first/system/jux.ini.vdp"));
    dir.write("server/updater.lst.gone.publish-tmp", "\\data\\f3.dat\r\n\\system\\jux.ini\r\n");

    const auto summary = PublishRelease(options);
    EXPECT_EQ(summary.removed, 2u);
    EXPECT_EQ(FolderContent(dir / "server"), second);
    EXPECT_FALSE(std::filesystem::exists(dir / "server/system"));
}

struct InterruptedCase {
    std::string what;
    std::vector<std::string> left; // files an earlier run left in the server folder
    bool checksum = false;
};

void PrintTo(const InterruptedCase& c, std::ostream* out) {
    *out << c.what;
}

class InterruptedPublishTest : public StagingTest,
                               public ::testing::WithParamInterface<InterruptedCase> {};

TEST_P(InterruptedPublishTest, ArchivesNewerThanTheServedManifestAreFound) {
    // A run stopped while renaming: one archive already replaced by the
    // next release's, the game folder (and so size and date) as before.
    dir.write("server/data/f1.dat.vdp", platform::read_file_text(dir / "server/data/f2.dat.vdp"));
    for (const auto& name : GetParam().left)
        dir.write("server/" + name, "left");
    options.checksum = GetParam().checksum;
    const auto summary = PublishRelease(options);
    EXPECT_EQ(summary.packed, 1u);
    EXPECT_EQ(ServedTreeProblem(dir / "server"), "");
    for (const auto& name : GetParam().left)
        EXPECT_FALSE(std::filesystem::exists(dir / "server" / name)) << name;
    EXPECT_EQ(FolderContent(dir / "server"), release);
}

INSTANTIATE_TEST_SUITE_P(
    Signs, InterruptedPublishTest,
    ::testing::Values(
        InterruptedCase{"staged manifests", {"updater.lst.publish-tmp"}},
        InterruptedCase{"staged packed manifest", {"updater.lst.vdp.publish-tmp"}},
        InterruptedCase{"an archive an earlier version was writing", {"data/f5.dat.vdp.writing"}},
        InterruptedCase{"a manifest an earlier version was writing", {"updater.lst.tmp"}},
        InterruptedCase{"none, but --checksum", {}, true}),
    [](const auto& named) {
        std::string name;
        for (char c : named.param.what)
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST_F(StagingTest, APublishWhileAnotherHoldsTheFolderIsRefused) {
    dir.write("game/data/f0.dat", "changed");
    const platform::FolderLock other(dir / "server");
    EXPECT_THROW(PublishRelease(options), PublishError);
    EXPECT_EQ(FolderContent(dir / "server"), release);
}

TEST_F(StagingTest, NamesInAHandEditedManifestRemoveNothingOutsideTheArchives) {
    dir.write("outside.vdp", "not the server's");
    auto manifest = platform::read_file_text(dir / "server/updater.lst");
    manifest += "00|\\..\\outside|1|0|00\r\n00|\\updater.lst|1|0|00\r\n";
    dir.write("server/updater.lst", manifest);
    std::filesystem::remove(dir / "game/data/f3.dat");
    EXPECT_EQ(PublishRelease(options).removed, 1u);
    EXPECT_TRUE(std::filesystem::exists(dir / "outside.vdp"));
    EXPECT_EQ(ServedTreeProblem(dir / "server"), "");
}

TEST(PublishManifestTest, CheckAndRemovalSectionsFollowTheCatalogue) {
    TempDir dir;
    dir.write("game/a.txt", "a");
    dir.write("game/skip.log", "log");
    dir.write("game/system/jux.ini", "[client]");
    PublishOptions options{dir / "game",      dir / "server",    {"\\a.txt", "system/jux.ini"},
                           {"old\\gone.dll"}, PackedFormat::rar, {"*.log"}};
    PublishRelease(options);
    const auto lines = platform::split_lines(platform::read_file_text(dir / "server/updater.lst"));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_NE(lines[0].find("|\\a.txt|1|"), std::string::npos);
    EXPECT_NE(lines[1].find("|\\system\\jux.ini|8|"), std::string::npos);
    EXPECT_EQ(
        std::vector<std::string>(lines.begin() + 2, lines.end()),
        (std::vector<std::string>{"#", "\\a.txt", "\\system\\jux.ini", "@", "\\old\\gone.dll"}));
    EXPECT_FALSE(std::filesystem::exists(dir / "server/skip.log.vdp"));
}

TEST(PublishManifestTest, AnEmptyGameOrAServerFolderInsideTheGameIsRefused) {
    TempDir empty;
    std::filesystem::create_directories(empty / "game");
    EXPECT_THROW(PublishRelease({empty / "game", empty / "server"}), PublishError);

    TempDir dir;
    dir.write("game/a.txt", "a");
    EXPECT_THROW(PublishRelease({dir / "game", dir / "game/server"}), PublishError);
    EXPECT_THROW(PublishRelease({dir / "game/", dir / "game/./server"}), PublishError);
    EXPECT_FALSE(std::filesystem::exists(dir / "game/server"));
}

} // namespace
} // namespace launcher
