// launcher-cli patching a changed large file end to end: published by
// launcher-publish, served over HTTP, with faults and kills on the way.
#include "archive/temporary_name.h"
#include "patch_fixtures.h"
#include "platform/executable_bit.h"
#include "platform/files.h"
#include "support/fault_server.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "update/launcher_programs.h"
#include "update/published_game.h"

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

using namespace std::chrono_literals;

constexpr int kKilled = 128 + 9;
constexpr std::size_t kBigSize = 3u << 20;

std::string text_of(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

// Bytes of the archive the launcher fetched by range, from the server's log;
// `whole` tells whether one request asked for all of it.
std::uint64_t ranged_bytes(const FaultServer& server, std::string_view path, bool& whole) {
    std::uint64_t bytes = 0;
    whole = false;
    for (const auto& get : server.gets(path)) {
        std::uint64_t first = 0;
        std::uint64_t last = 0;
        if (std::sscanf(get.range.c_str(), "bytes=%lu-%lu", &first, &last) != 2) {
            whole = true;
            continue;
        }
        bytes += last - first + 1;
    }
    return bytes;
}

class CliPatchTest : public ::testing::Test {
protected:
    CliPatchTest() {
        old_big = text_of(patch::testing::RandomBytes(kBigSize, 3));
        new_big = old_big;
        new_big.replace(kBigSize / 2, 64 << 10, std::string(64 << 10, 'n')); // 64 KiB overwritten
        new_big.insert(0, std::string(1024, 'i'));                           // 1 KiB inserted
        dir.write("game/data/world.pak", new_big);
        dir.write("game/readme.txt", "new readme");
        publish(dir / "game", dir / "srv", {"--block-index-from", "1048576"});
        dir.write("installed/data/world.pak", old_big);
        dir.write("installed/readme.txt", "old readme");
    }

    void serve(bool ignore_range = false) {
        ServeFolder(server, dir / "srv");
        if (ignore_range)
            server.serve("/data/world.pak.vdp",
                         Resource{platform::read_file_text(dir / "srv/data/world.pak.vdp"), true});
        launcher = pack_launcher(dir, dir / "bin" / "launcher", server.url("/"));
    }

    ProcessResult update(const std::string& crash_at = {}) {
        std::vector<std::string> arguments{launcher.string(), "update", "--folder",
                                           (dir / "installed").string()};
        if (!crash_at.empty())
            arguments.insert(arguments.begin(), {"/usr/bin/env", "LAUNCHER_CRASH_AT=" + crash_at});
        return run_process(arguments);
    }

    std::string installed_big() const {
        return platform::read_file_text(dir / "installed/data/world.pak");
    }

    bool temporary_files_left() const {
        for (const auto& entry : std::filesystem::directory_iterator(dir / "installed/data"))
            if (IsTemporaryName(entry.path().filename().string()))
                return true;
        return false;
    }

    TempDir dir;
    FaultServer server;
    std::filesystem::path launcher;
    std::string old_big;
    std::string new_big;
};

TEST_F(CliPatchTest, AChangedLargeFileCostsAboutItsChangedBlocks) {
    serve();
    const auto result = update();
    ASSERT_EQ(result.exit_code, 0) << result.output;
    EXPECT_TRUE(installed_big() == new_big);
    EXPECT_EQ(platform::read_file_text(dir / "installed/readme.txt"), "new readme");
    bool whole = false;
    const std::uint64_t fetched = ranged_bytes(server, "/data/world.pak.vdp", whole);
    EXPECT_FALSE(whole) << "the archive was fetched whole";
    EXPECT_EQ(server.gets("/data/world.pak.vdp.idx").size(), 1u);
    EXPECT_TRUE(server.gets("/readme.txt.vdp.idx").empty()) << "an index asked for a small file";
    EXPECT_GT(fetched, 64u << 10);
    EXPECT_LT(fetched, kBigSize / 8) << "fetched " << fetched;
    EXPECT_FALSE(temporary_files_left());
}

TEST_F(CliPatchTest, APatchedProgramStaysAProgram) {
    std::filesystem::permissions(dir / "game/data/world.pak", std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    std::filesystem::remove_all(dir / "srv");
    publish(dir / "game", dir / "srv", {"--block-index-from", "1048576"});
    serve();
    const auto result = update();
    ASSERT_EQ(result.exit_code, 0) << result.output;
    EXPECT_TRUE(installed_big() == new_big);
    EXPECT_TRUE(platform::is_executable(dir / "installed/data/world.pak"));
    bool whole = false;
    EXPECT_LT(ranged_bytes(server, "/data/world.pak.vdp", whole), kBigSize / 8);
}

TEST_F(CliPatchTest, AServerThatIgnoresRangeGivesTheWholeArchiveAndTheRightFile) {
    serve(true);
    const auto result = update();
    ASSERT_EQ(result.exit_code, 0) << result.output;
    EXPECT_TRUE(installed_big() == new_big);
    EXPECT_FALSE(temporary_files_left());
}

TEST_F(CliPatchTest, ADamagedIndexGivesTheWholeArchiveAndTheRightFile) {
    dir.write("srv/data/world.pak.vdp.idx", "launcher-block-index 1\nblock-size 4096\n");
    serve();
    const auto result = update();
    ASSERT_EQ(result.exit_code, 0) << result.output;
    EXPECT_TRUE(installed_big() == new_big);
    bool whole = false;
    EXPECT_GE(ranged_bytes(server, "/data/world.pak.vdp", whole),
              std::filesystem::file_size(dir / "srv/data/world.pak.vdp"));
}

TEST_F(CliPatchTest, AKillAtEveryStepLeavesTheOldFileOrTheNewOneNeverAMix) {
    struct Case {
        const char* crash_at; // empty: killed while a range stalls
        bool new_in_place;
    };
    const Case cases[] = {
        {"", false},
        {"file-update:patched", false},
    };
    serve();
    for (const Case& c : cases) {
        SCOPED_TRACE(*c.crash_at ? c.crash_at : "killed during a range");
        std::filesystem::remove_all(dir / "installed"); // its record of the release too
        dir.write("installed/data/world.pak", old_big);
        if (*c.crash_at) {
            EXPECT_EQ(update(c.crash_at).exit_code, kKilled);
        } else {
            server.add_fault("/data/world.pak.vdp", Fault{Fault::Kind::StallAfterBytes, 1000});
            const auto before = server.gets("/data/world.pak.vdp").size();
            const pid_t pid =
                spawn({launcher.string(), "update", "--folder", (dir / "installed").string()},
                      dir / "out.txt");
            for (int i = 0; i < 12000 && server.gets("/data/world.pak.vdp").size() == before; ++i)
                std::this_thread::sleep_for(5ms);
            std::this_thread::sleep_for(100ms);
            kill_and_wait(pid);
        }
        EXPECT_TRUE(installed_big() == (c.new_in_place ? new_big : old_big));
        const auto next = update();
        EXPECT_EQ(next.exit_code, 0) << next.output;
        EXPECT_TRUE(installed_big() == new_big);
        EXPECT_FALSE(temporary_files_left());
    }
}

} // namespace
} // namespace launcher::testing
