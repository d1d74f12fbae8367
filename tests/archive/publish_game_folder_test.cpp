// What a publish makes of what a game folder holds besides plain files
// (links, pipes), and of programs: a player gets each file the game expects,
// executable where it was, or the publisher is told what was left out.
#include "catalogue/file_catalogue.h"
#include "catalogue/md5.h"
#include "platform/executable_bit.h"
#include "platform/files.h"
#include "platform/utf8_path.h"
#include "publish/archive_member_mode.h"
#include "publish/release_publisher.h"
#include "served_tree.h"
#include "support/temp_dir.h"
#include "update/packed_files.h"

#include <filesystem>
#include <functional>
#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher {
namespace {

namespace fs = std::filesystem;
using publish::PackedFormat;
using publish::PublishOptions;
using publish::PublishRelease;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::ServedCatalogue;
using testing::ServedTreeProblem;
using testing::TempDir;

struct EntryCase {
    const char* name;
    std::function<void(const TempDir&)> make; // adds the entry "game/entry"
    const char* left_out_because;             // empty: published as a copy of its target
};

class GameFolderEntryTest : public ::testing::TestWithParam<EntryCase> {};

TEST_P(GameFolderEntryTest, IsPublishedAsACopyOrLeftOutWithTheReason) {
    const EntryCase& c = GetParam();
    TempDir dir;
    dir.write("game/data/real.dat", "the real content");
    dir.write("outside/secret.txt", "not for players");
    c.make(dir);
    PublishOptions options;
    options.game_dir = dir / "game";
    options.out_dir = dir / "server";
    const auto summary = PublishRelease(options);
    const TFileList catalogue = ServedCatalogue(dir / "server");
    EXPECT_EQ(ServedTreeProblem(dir / "server"), "");
    if (*c.left_out_because == '\0') {
        EXPECT_THAT(summary.left_out, IsEmpty());
        EXPECT_THAT(summary.copied_links, ElementsAre("entry -> data/real.dat"));
        ASSERT_NE(catalogue.GetItemByName("\\entry"), nullptr);
        // The member carries the link's name, so the player's launcher finds it.
        UnpackArchive(dir / "server/entry.vdp", dir / "install", dir.path(),
                      {.file_name = "entry"});
        EXPECT_EQ(platform::read_file_text(dir / "install/entry"), "the real content");
        EXPECT_FALSE(fs::is_symlink(dir / "install/entry"));
    } else {
        ASSERT_EQ(summary.left_out.size(), 1u);
        EXPECT_THAT(summary.left_out[0], HasSubstr("entry: "));
        EXPECT_THAT(summary.left_out[0], HasSubstr(c.left_out_because));
        EXPECT_THAT(summary.copied_links, IsEmpty());
        EXPECT_EQ(catalogue.GetItemByName("\\entry"), nullptr);
    }
    EXPECT_EQ(catalogue.Count(), 1 + (*c.left_out_because == '\0'));
}

INSTANTIATE_TEST_SUITE_P(
    Entries, GameFolderEntryTest,
    ::testing::Values(
        EntryCase{"link_to_a_file_inside",
                  [](const TempDir& d) { fs::create_symlink("data/real.dat", d / "game/entry"); },
                  ""},
        EntryCase{"absolute_link_to_a_file_inside",
                  [](const TempDir& d) {
                      fs::create_symlink(d / "game/data/real.dat", d / "game/entry");
                  },
                  ""},
        EntryCase{
            "link_to_a_file_outside",
            [](const TempDir& d) { fs::create_symlink("../outside/secret.txt", d / "game/entry"); },
            "outside the game folder"},
        EntryCase{"dangling_link",
                  [](const TempDir& d) { fs::create_symlink("gone.dat", d / "game/entry"); },
                  "a symbolic link whose target does not exist"},
        EntryCase{"link_to_a_folder_inside",
                  [](const TempDir& d) { fs::create_directory_symlink("data", d / "game/entry"); },
                  "a symbolic link to a folder"},
        EntryCase{
            "named_pipe",
            [](const TempDir& d) { ASSERT_EQ(::mkfifo((d / "game/entry").c_str(), 0644), 0); },
            "a named pipe (FIFO)"}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

class ExecutableFileTest : public ::testing::TestWithParam<PackedFormat> {};

TEST_P(ExecutableFileTest, AProgramIsMarkedInItsArchiveAndArrivesExecutable) {
    TempDir dir;
    const auto tool = dir.write("game/bin/helper", "#!/bin/sh\necho helper\n");
    dir.write("game/bin/helper.dat", "data");
    fs::permissions(tool, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add);
    PublishOptions options;
    options.game_dir = dir / "game";
    options.out_dir = dir / "server";
    options.format = GetParam();
    PublishRelease(options);

    EXPECT_EQ(publish::ArchiveMemberExecutable(dir / "server/bin/helper.vdp"), true);
    EXPECT_EQ(publish::ArchiveMemberExecutable(dir / "server/bin/helper.dat.vdp"), false);
    for (const char* name : {"helper", "helper.dat"}) {
        const auto archive = dir / "server/bin" / (std::string(name) + ".vdp");
        UnpackArchive(archive, dir / "install/bin", dir.path(), {.file_name = name});
    }
    EXPECT_TRUE(platform::is_executable(dir / "install/bin/helper"));
    EXPECT_FALSE(platform::is_executable(dir / "install/bin/helper.dat"));
    EXPECT_EQ(platform::read_file_text(dir / "install/bin/helper"), "#!/bin/sh\necho helper\n");
}

INSTANTIATE_TEST_SUITE_P(Formats, ExecutableFileTest,
                         ::testing::Values(PackedFormat::rar, PackedFormat::sevenzip,
                                           PackedFormat::zip));

TEST(ExecutableFileTest, AnArchiveOfAPlainFileKeepsTheFormOlderReleasesHave) {
    // Made on Windows, attributes "archive": what every release so far has, so
    // republishing does not change a single packed hash.
    TempDir dir;
    dir.write("game/data.pak", "content");
    PublishOptions options;
    options.game_dir = dir / "game";
    options.out_dir = dir / "server";
    PublishRelease(options);
    const platform::Bytes rar = platform::read_file(dir / "server/data.pak.vdp");
    ASSERT_GT(rar.size(), 52u);
    EXPECT_EQ(rar[35], 2); // host system: Windows
    EXPECT_EQ(rar[48] | rar[49] << 8 | rar[50] << 16 | rar[51] << 24, 0x20);

    // The same file made executable: Unix, with its mode.
    fs::permissions(dir / "game/data.pak", fs::perms::owner_exec, fs::perm_options::add);
    const auto summary = PublishRelease(options);
    EXPECT_EQ(summary.packed, 1u) << "only the bit changed, and it reaches players";
    const platform::Bytes marked = platform::read_file(dir / "server/data.pak.vdp");
    EXPECT_EQ(marked[35], 3);
    EXPECT_EQ(marked[48] | marked[49] << 8 | marked[50] << 16 | marked[51] << 24, 0100755);
    EXPECT_EQ(ServedCatalogue(dir / "server").GetItemByName("\\data.pak")->Content.HashPacked,
              MD5File(dir / "server/data.pak.vdp"));

    // And back: the bit taken away is published too.
    fs::permissions(dir / "game/data.pak", fs::perms::owner_exec, fs::perm_options::remove);
    EXPECT_EQ(PublishRelease(options).packed, 1u);
    EXPECT_EQ(platform::read_file(dir / "server/data.pak.vdp"), rar);
}

} // namespace
} // namespace launcher
