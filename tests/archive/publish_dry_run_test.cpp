// A dry run of a publish tells what the publish would do, exactly, and
// leaves the served tree as it was.
#include "publish/release_publisher.h"
#include "served_tree.h"
#include "support/temp_dir.h"
#include "update/release_signature.h"

#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher {
namespace {

using publish::PublishOptions;
using publish::PublishRelease;
using publish::PublishSummary;
using ::testing::ElementsAre;
using testing::FolderContent;
using ::testing::IsEmpty;
using testing::TempDir;

struct DryRunCase {
    const char* what;
    bool served_before; // a previous release is served
    bool signed_release;
};

class PublishDryRunTest : public ::testing::TestWithParam<DryRunCase> {};

TEST_P(PublishDryRunTest, ForetellsThePublishAndWritesNothing) {
    const DryRunCase& test = GetParam();
    TempDir dir;
    dir.write("game/system/jux.ini", "[client]\r\nserver=1\r\n");
    dir.write("game/data/kept.bin", std::string(20000, 'k'));
    dir.write("game/data/changed.bin", std::string(30000, 'c'));
    dir.write("game/data/gone.bin", "soon gone");
    PublishOptions options;
    options.game_dir = dir / "game";
    options.out_dir = dir / "server";
    if (test.signed_release)
        options.sign_keys = {GenerateKeyPair().secret_key};
    if (test.served_before) {
        PublishRelease(options);
        dir.write("game/data/changed.bin", std::string(30001, 'C'));
        dir.write("game/data/new.bin", "new");
        std::filesystem::remove(dir / "game" / "data" / "gone.bin");
    }
    const auto served = FolderContent(dir / "server");

    options.dry_run = true;
    const PublishSummary foretold = PublishRelease(options);
    EXPECT_EQ(FolderContent(dir / "server"), served) << "a dry run writes nothing";
    if (!test.served_before) {
        EXPECT_FALSE(std::filesystem::exists(dir / "server")) << "not even the folder";
    }

    options.dry_run = false;
    const PublishSummary done = PublishRelease(options);
    EXPECT_EQ(foretold.packed_names, done.packed_names);
    EXPECT_EQ(foretold.kept_names, done.kept_names);
    EXPECT_EQ(foretold.removed_names, done.removed_names);
    EXPECT_EQ(foretold.removed, done.removed);
    EXPECT_EQ(foretold.fetch_bytes, done.fetch_bytes);
    EXPECT_EQ(foretold.bytes_written, done.bytes_written);
    EXPECT_EQ(foretold.release, done.release);
    if (test.served_before) {
        EXPECT_THAT(done.packed_names, ElementsAre("\\data\\changed.bin", "\\data\\new.bin"));
        EXPECT_THAT(done.kept_names, ElementsAre("\\data\\kept.bin", "\\system\\jux.ini"));
        EXPECT_THAT(done.removed_names, ElementsAre("\\data\\gone.bin"));
    } else {
        EXPECT_THAT(done.kept_names, IsEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Releases, PublishDryRunTest,
                         ::testing::Values(DryRunCase{"first", false, false},
                                           DryRunCase{"again", true, false},
                                           DryRunCase{"signed_again", true, true}),
                         [](const auto& param_info) { return std::string(param_info.param.what); });

} // namespace
} // namespace launcher
