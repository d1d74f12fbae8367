#include "archive_fixtures.h"
#include "catalogue/file_catalogue.h"
#include "catalogue/md5.h"
#include "platform/files.h"
#include "platform/text.h"
#include "publish/release_publisher.h"
#include "support/temp_dir.h"
#include "update/packed_files.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace launcher {
namespace {

using publish::PackedFormat;
using publish::PublishError;
using publish::PublishOptions;
using publish::PublishRelease;
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

    // What the launcher does with a release: unpack the packed manifest and
    // read its catalogue section.
    TFileList fetch_catalogue() const {
        std::filesystem::copy_file(dir / "server/updater.lst.vdp", dir / "$tmp.vdp",
                                   std::filesystem::copy_options::overwrite_existing);
        UnpackFile(dir / "$tmp.vdp", dir / "updater.lst");
        std::vector<std::string> catalogue_lines;
        for (auto& line : platform::split_lines(platform::read_file_text(dir / "updater.lst"))) {
            if (platform::trim(line).starts_with("#"))
                break;
            catalogue_lines.push_back(line);
        }
        TFileList catalogue(true);
        catalogue.LoadFromStrings(catalogue_lines);
        return catalogue;
    }

    TempDir dir;
    PublishOptions options;
};

TEST_P(PublishReleaseTest, EveryPackedArchiveVerifiesAndExtractsToItsFile) {
    const auto summary = PublishRelease(options);
    EXPECT_EQ(summary.files, 4u);
    EXPECT_EQ(summary.packed, 4u);

    const TFileList catalogue = fetch_catalogue();
    ASSERT_EQ(catalogue.Count(), 4);
    for (int id = 0; id < catalogue.Count(); ++id) {
        const auto& record = catalogue.GetItemByID(id)->Content;
        ASSERT_EQ(record.Name.front(), '\\');
        auto archive = platform::native_path(dir / "server", record.Name);
        archive += ".vdp";
        EXPECT_EQ(MD5File(archive), record.HashPacked) << record.Name;

        const auto folder = platform::native_path(dir / "install", record.Name).parent_path();
        UnpackArchive(archive, folder, dir.path());
        const auto file = platform::native_path(dir / "install", record.Name);
        EXPECT_EQ(MD5File(file), record.Hash) << record.Name;
        EXPECT_EQ(static_cast<std::int64_t>(std::filesystem::file_size(file)), record.Size);
    }
    EXPECT_NE(catalogue.GetItemByName("\\SYSTEM\\JUX.INI"), nullptr);
    EXPECT_NE(catalogue.GetItemByName("\\документ.txt"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Formats, PublishReleaseTest,
                         ::testing::Values(PackedFormat::rar, PackedFormat::sevenzip,
                                           PackedFormat::zip));

class RepublishTest : public PublishReleaseTest {};

TEST_P(RepublishTest, OnlyChangedFilesArePackedAgainAndGoneFilesRemoved) {
    PublishRelease(options);
    const auto untouched = std::filesystem::last_write_time(dir / "server/system/data/big.bin.vdp");

    dir.write("game/system/jux.ini", "[client]\r\nserver=2\r\n");
    std::filesystem::remove(dir / "game/empty.dat");
    const auto summary = PublishRelease(options);
    EXPECT_EQ(summary.packed, 1u);
    EXPECT_EQ(summary.reused, 2u);
    EXPECT_EQ(summary.removed, 1u);
    EXPECT_FALSE(std::filesystem::exists(dir / "server/empty.dat.vdp"));
    EXPECT_EQ(std::filesystem::last_write_time(dir / "server/system/data/big.bin.vdp"), untouched);

    const TFileList catalogue = fetch_catalogue();
    EXPECT_EQ(catalogue.Count(), 3);
    EXPECT_EQ(catalogue.GetItemByName("\\system\\jux.ini")->Content.Hash,
              MD5File(dir / "game/system/jux.ini"));
}

INSTANTIATE_TEST_SUITE_P(Rar, RepublishTest, ::testing::Values(PackedFormat::rar));

TEST(PublishManifestTest, CheckAndRemovalSectionsFollowTheCatalogue) {
    TempDir dir;
    dir.write("game/a.txt", "a");
    dir.write("game/skip.log", "log");
    PublishOptions options{dir / "game",      dir / "server",    {"\\a.txt", "system/jux.ini"},
                           {"old\\gone.dll"}, PackedFormat::rar, {"*.log"}};
    PublishRelease(options);
    const auto lines = platform::split_lines(platform::read_file_text(dir / "server/updater.lst"));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_NE(lines[0].find("|\\a.txt|1|"), std::string::npos);
    EXPECT_EQ(
        std::vector<std::string>(lines.begin() + 1, lines.end()),
        (std::vector<std::string>{"#", "\\a.txt", "\\system\\jux.ini", "@", "\\old\\gone.dll"}));
    EXPECT_FALSE(std::filesystem::exists(dir / "server/skip.log.vdp"));
}

TEST(PublishManifestTest, NamesThatCannotBePublishedAreRefused) {
#ifdef _WIN32
    // Windows file names cannot hold "|", tabs, bytes that are no UTF-8 or a
    // trailing blank: such files never reach the publisher there.
    const std::vector<std::string> bad_names;
#else
    const std::vector<std::string> bad_names{"pipe|name.txt", "tab\tname.txt", "bad\xFF.txt",
                                             "blank "};
#endif
    for (const auto& bad : bad_names) {
        TempDir dir;
        dir.write("game/" + bad, "x");
        PublishOptions options{dir / "game", dir / "server", {}, {}, PackedFormat::rar, {}};
        EXPECT_THROW(PublishRelease(options), PublishError) << bad;
        EXPECT_FALSE(std::filesystem::exists(dir / "server/updater.lst"));
    }
    TempDir empty;
    std::filesystem::create_directories(empty / "game");
    PublishOptions options{empty / "game", empty / "server", {}, {}, PackedFormat::rar, {}};
    EXPECT_THROW(PublishRelease(options), PublishError);
}

} // namespace
} // namespace launcher
