// launcher-cli update and check end to end: releases made by launcher-publish,
// served by nginx or the in-process server, launchers packed by launcher-publish.
#include "catalogue/file_catalogue.h"
#include "platform/executable_bit.h"
#include "platform/files.h"
#include "support/fault_server.h"
#include "support/nginx_server.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "update/launcher_programs.h"
#include "update/published_game.h"

#include <algorithm>
#include <random>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// A small game: nested folders, a client folder and one larger file.
void make_game(const TempDir& dir, const std::string& folder = "game") {
    for (int i = 0; i < 24; ++i)
        dir.write(folder + "/data/set" + std::to_string(i % 4) + "/f" + std::to_string(i) + ".dat",
                  std::string(1000 + i * 37, static_cast<char>('a' + i % 26)));
    dir.write(folder + "/system/jux.ini", "[client]\r\nport=7000\r\n");
    std::string large(3 * 1024 * 1024, '\0');
    std::mt19937 random(5);
    for (char& c : large)
        c = static_cast<char>(random());
    dir.write(folder + "/data/large.pak", large);
}

class CliUpdateTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(CliUpdateTest, NginxInstallIntoAnEmptyFolderThenCheckRepairs) {
    if (!NginxServer::Available())
        GTEST_SKIP() << "nginx is not installed";
    make_game(dir);
    publish(dir / "game", dir / "srv", {"--check", "system\\jux.ini"});
    NginxServer nginx(dir / "srv");
    ASSERT_TRUE(nginx.running());
    const auto launcher = pack_launcher(dir, dir / "bin" / "launcher", nginx.url("/"));
    const auto installed = dir / "installed";

    const auto update = run_process({launcher.string(), "update", "--folder", installed.string()});
    ASSERT_EQ(update.exit_code, 0) << update.output;
    EXPECT_THAT(update.output, HasSubstr("Update complete"));
    EXPECT_THAT(update.output, HasSubstr("Total: 100%"));
    EXPECT_EQ(game_files(installed), game_files(dir / "game"));

    // Damaged keeping its size and date: a start cannot tell, the full check can.
    const auto f5 = installed / "data" / "set1" / "f5.dat";
    const auto stamp = std::filesystem::last_write_time(f5);
    dir.write("installed/data/set1/f5.dat", std::string(1000 + 5 * 37, '!'));
    std::filesystem::last_write_time(f5, stamp);
    std::filesystem::remove(installed / "updater" / "OldList.lst");
    const auto check = run_process({launcher.string(), "check", "--folder", installed.string()});
    ASSERT_EQ(check.exit_code, 0) << check.output;
    EXPECT_THAT(check.output, HasSubstr("Updating \\data\\set1\\f5.dat"));
    EXPECT_THAT(check.output, HasSubstr("All files checked"));
    EXPECT_EQ(game_files(installed), game_files(dir / "game"));
    TFileList previous(true);
    previous.LoadFromFile(installed / "updater" / "OldList.lst");
    // Every file: the start recorded those whose size and date match and the
    // check-section file, the full check the one it repaired.
    EXPECT_EQ(previous.Count(), 26);
}

// However many files are in flight, the folder ends up the same; a number
// of jobs below one is refused before anything is fetched.
TEST_F(CliUpdateTest, JobsOptionChangesHowManyFilesAreInFlightNotTheResult) {
    if (!NginxServer::Available())
        GTEST_SKIP() << "nginx is not installed";
    make_game(dir);
    publish(dir / "game", dir / "srv");
    NginxServer nginx(dir / "srv");
    ASSERT_TRUE(nginx.running());
    const auto launcher = pack_launcher(dir, dir / "bin" / "launcher", nginx.url("/"));
    for (const char* jobs : {"1", "3", "64"}) {
        SCOPED_TRACE(jobs);
        const auto installed = dir / (std::string("installed-") + jobs);
        const auto update = run_process(
            {launcher.string(), "update", "--jobs", jobs, "--folder", installed.string()});
        ASSERT_EQ(update.exit_code, 0) << update.output;
        EXPECT_EQ(game_files(installed), game_files(dir / "game"));
    }
    const auto refused = run_process(
        {launcher.string(), "update", "--jobs", "0", "--folder", (dir / "installed-0").string()});
    EXPECT_NE(refused.exit_code, 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "installed-0" / "system" / "jux.ini"));
}

TEST_F(CliUpdateTest, ProgramsArriveExecutableAndLinksAsTheFilesTheyNameOrNotAtAll) {
    if (!NginxServer::Available())
        GTEST_SKIP() << "nginx is not installed";
    const auto helper = dir.write("game/bin/helper", "#!/bin/sh\necho helper\n");
    std::filesystem::permissions(helper,
                                 std::filesystem::perms::owner_exec |
                                     std::filesystem::perms::group_exec |
                                     std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    dir.write("game/bin/libgame.so.1", "library");
    dir.write("private/notes.txt", "the publisher's own");
    std::filesystem::create_symlink("libgame.so.1", dir / "game/bin/libgame.so");
    std::filesystem::create_symlink("../../private/notes.txt", dir / "game/bin/notes.txt");
    std::filesystem::create_symlink("gone.pak", dir / "game/bin/old.pak");

    const auto published =
        run_process({kPublish, "publish", (dir / "game").string(), (dir / "srv").string()});
    ASSERT_EQ(published.exit_code, 0) << published.output;
    EXPECT_THAT(published.output,
                HasSubstr("Left out 2 entries of the game folder that a player cannot get as "
                          "files:\n  bin/notes.txt: a symbolic link to "));
    EXPECT_THAT(published.output, HasSubstr(", outside the game folder\n"));
    EXPECT_THAT(published.output,
                HasSubstr("  bin/old.pak: a symbolic link whose target does not exist\n"));
    EXPECT_THAT(published.output,
                HasSubstr("Published 1 symbolic link as a copy of the file it points to:\n"
                          "  bin/libgame.so -> bin/libgame.so.1\n"));

    NginxServer nginx(dir / "srv");
    ASSERT_TRUE(nginx.running());
    const auto launcher = pack_launcher(dir, dir / "bin" / "launcher", nginx.url("/"));
    const auto installed = dir / "installed";
    const auto update = run_process({launcher.string(), "update", "--folder", installed.string()});
    ASSERT_EQ(update.exit_code, 0) << update.output;
    EXPECT_EQ(game_files(installed),
              (std::map<std::string, std::string>{{"bin/helper", "#!/bin/sh\necho helper\n"},
                                                  {"bin/libgame.so", "library"},
                                                  {"bin/libgame.so.1", "library"}}));
    EXPECT_TRUE(platform::is_executable(installed / "bin/helper"));
    EXPECT_FALSE(platform::is_executable(installed / "bin/libgame.so.1"));
    const auto run = run_process({(installed / "bin/helper").string()});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_THAT(run.output, HasSubstr("helper"));
}

TEST_F(CliUpdateTest, DamagedManifestFailsWithTheErrorText) {
    FaultServer server;
    server.serve("/updater.lst.vdp", Resource{"12345 not a bzip2 stream"});
    const auto launcher = pack_launcher(dir, dir / "bin" / "launcher", server.url("/"));
    const auto result =
        run_process({launcher.string(), "update", "--folder", (dir / "game").string()});
    EXPECT_NE(result.exit_code, 0);
    EXPECT_THAT(result.output, HasSubstr("bzip2 data error"));
    EXPECT_THAT(result.output, Not(HasSubstr("up to date")));
    EXPECT_THAT(result.output, Not(HasSubstr("Update complete")));
}

TEST_F(CliUpdateTest, FileModeCopiesWithoutAServerAndOverridesStayForOneRun) {
    make_game(dir);
    publish(dir / "game", dir / "srv");
    const auto launcher = pack_launcher(dir, dir / "bin" / "launcher", "http://127.0.0.1:9/");
    const auto installed = dir / "installed";
    const auto result =
        run_process({launcher.string(), "update", "--folder", installed.string(), "--file-mode",
                     (dir / "srv").string(), "--check-mode", "light", "--drive", "ssd", "--debug"},
                    dir.path());
    ASSERT_EQ(result.exit_code, 0) << result.output;
    EXPECT_EQ(game_files(installed), game_files(dir / "game"));
    const std::string settings = platform::read_file_text(installed / "updater" / "Vantoria.ini");
    EXPECT_THAT(settings, HasSubstr("CheckMode = Hard: MD5 Hash\r\n"));
    EXPECT_THAT(settings, HasSubstr("DriveType = HDD\r\n"));
    const std::string log = platform::read_file_text(dir / "log.err");
    EXPECT_THAT(log, HasSubstr("Unpack:: data\\large.pak"));
    EXPECT_THAT(log, Not(HasSubstr("Download file")));
}

TEST_F(CliUpdateTest, ReplacedLauncherRestartsAndFinishesTheUpdate) {
    FaultServer server;
    make_game(dir, "release");
    // The release carries a newer launcher under the name the game uses.
    pack_launcher(dir, dir / "release" / "gamelauncher", server.url("/"), "Newer");
    publish(dir / "release", dir / "srv", {"--check", "gamelauncher"});
    ServeFolder(server, dir / "srv");

    const auto launcher = pack_launcher(dir, dir / "installed" / "gamelauncher", server.url("/"));
    const auto result = run_process({launcher.string(), "update"});
    ASSERT_EQ(result.exit_code, 0) << result.output;
    EXPECT_THAT(result.output, HasSubstr("Restarting the updated launcher"));
    EXPECT_THAT(result.output, HasSubstr("Update complete"));
    EXPECT_EQ(game_files(dir / "installed"), game_files(dir / "release"));
    EXPECT_FALSE(std::filesystem::exists(dir / "installed" / "gamelauncher.bak"));
    const auto requests = server.requests();
    EXPECT_EQ(std::count_if(requests.begin(), requests.end(),
                            [](const LoggedRequest& request) {
                                return request.method == "HEAD" &&
                                       request.path == "/gamelauncher.vdp";
                            }),
              1)
        << "the restarted launcher finds itself current";
}

// Whatever a killed run left: every game file present is complete, and the
// previous list is readable.
void expect_consistent(const std::filesystem::path& installed,
                       const std::map<std::string, std::string>& release) {
    for (const auto& [name, content] : game_files(installed)) {
        ASSERT_TRUE(release.contains(name)) << name;
        EXPECT_EQ(content.size(), release.at(name).size()) << name;
        EXPECT_TRUE(content == release.at(name)) << name;
    }
    const auto previous = installed / "updater" / "OldList.lst";
    if (std::filesystem::exists(previous)) {
        TFileList list(true);
        EXPECT_NO_THROW(list.LoadFromFile(previous));
        for (int id = 0; id < list.Count(); ++id) {
            std::string name = list.GetItemByID(id)->Content.Name.substr(1);
            std::replace(name.begin(), name.end(), '\\', '/');
            EXPECT_TRUE(release.contains(name)) << name;
        }
    }
}

TEST_F(CliUpdateTest, KilledRunsLeaveAFolderTheNextRunCompletes) {
    FaultServer server;
    make_game(dir);
    publish(dir / "game", dir / "srv", {"--check", "system\\jux.ini"});
    ServeFolder(server, dir / "srv");
    const auto release = game_files(dir / "game");
    const auto launcher = pack_launcher(dir, dir / "bin" / "launcher", server.url("/"));
    const auto installed = dir / "installed";
    const std::vector<std::string> update{launcher.string(), "update", "--folder",
                                          installed.string()};

    // Killed in the middle of a download: the large file stalls after 64 KiB.
    server.add_fault("/data/large.pak.vdp", Fault{Fault::Kind::StallAfterBytes, 65536, 0,
                                                  std::nullopt, Fault::kEveryRequest});
    const pid_t stalled = spawn(update, dir / "out.txt");
    // The bound only guards against a hang: on a loaded machine the run can
    // take many seconds to reach the large file.
    for (int i = 0; i < 12000 && server.gets("/data/large.pak.vdp").empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    kill_and_wait(stalled);
    ASSERT_FALSE(server.gets("/data/large.pak.vdp").empty());
    expect_consistent(installed, release);
    EXPECT_FALSE(std::filesystem::exists(installed / "data" / "large.pak"));

    // Killed at moments spread over a run: during downloads, extractions and
    // the writing of the previous list.
    FaultServer healthy;
    ServeFolder(healthy, dir / "srv");
    const auto fast = pack_launcher(dir, dir / "bin" / "fast", healthy.url("/"), "Fast");
    const std::vector<std::string> fast_update{fast.string(), "update", "--folder",
                                               installed.string()};
    for (const int delay_ms : {5, 20, 40, 60, 80, 100, 130, 160, 200, 260, 330, 420}) {
        const pid_t pid = spawn(fast_update, dir / "out.txt");
        std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
        kill_and_wait(pid);
        expect_consistent(installed, release);
    }

    const auto finished = run_process(fast_update);
    ASSERT_EQ(finished.exit_code, 0) << finished.output;
    EXPECT_EQ(game_files(installed), release);
}

} // namespace
} // namespace launcher::testing
