// launcher-cli under faults, end to end: killed self-updates, a full or
// read-only disk, links planted in the game folder, unusual file names,
// servers that never answer, control characters from a server, and fetch.
#include "archive/temporary_name.h"
#include "platform/files.h"
#include "platform/text.h"
#include "support/fault_server.h"
#include "support/nginx_server.h"
#include "support/process.h"
#include "support/tcp_listener.h"
#include "support/temp_dir.h"
#include "update/launcher_programs.h"
#include "update/published_game.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using namespace std::chrono_literals;

constexpr int kKilled = 128 + 9;

std::string random_bytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    std::mt19937 random(seed);
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

// Every file below `folder`, the updater folder included, with its content.
std::map<std::string, std::string> all_files(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && !entry.is_symlink())
            files[entry.path().lexically_relative(folder).generic_string()] =
                platform::read_file_text(entry.path());
    return files;
}

// What a run may leave only while it runs: temporary files beside game
// files, the fetched archive, the self-update marker.
std::vector<std::string> leftovers(const std::filesystem::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (IsTemporaryName(name) || name.starts_with("$tmp.") || name == "SelfUpdate.lst" ||
            name.ends_with(".tmp"))
            found.push_back(entry.path().lexically_relative(folder).string());
    }
    return found;
}

// The packed manifest of an update-server folder rewritten as `edit` says,
// as a publisher's mistake or an attacker would leave it.
void edit_manifest(const std::filesystem::path& server_folder,
                   const std::function<std::string(std::string)>& edit) {
    const std::string text = edit(platform::read_file_text(server_folder / "updater.lst"));
    platform::write_file_atomic(server_folder / "updater.lst", text);
    platform::write_file_atomic(server_folder / "updater.lst.vdp", PackManifest(text));
}

// Runs a program to its end, or kills it once `limit` has passed: a guard
// against a hang, not a measure of speed.
std::optional<int> run_bounded(const std::vector<std::string>& arguments,
                               const std::filesystem::path& output, std::chrono::seconds limit) {
    const pid_t pid = spawn(arguments, output);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(50ms);
    }
    kill_and_wait(pid);
    return std::nullopt;
}

// ---------------------------------------------------------------------------
// Self-update: the launcher's own executable is in the release and in the
// check section, so it is compared at every start.

class SelfUpdateTest : public ::testing::Test {
protected:
    // The installed launcher and a release with a new one under its name.
    void SetUp() override {
        pack_launcher(dir, pristine, server.url("/"));
        old_launcher = platform::read_file_text(pristine);
        install_old_launcher();
        dir.write("release/data/a.txt", "released data");
    }

    // A game folder holding only the old launcher.
    void install_old_launcher() {
        std::filesystem::remove_all(installed);
        std::filesystem::create_directories(installed);
        std::filesystem::copy_file(pristine, launcher);
    }

    // Publishes the release; `new_launcher` empty: a second packed launcher
    // (other configuration bytes, so another MD5, and it runs).
    void publish_release(const std::string& new_launcher = {}) {
        const auto released = dir / "release" / "gamelauncher";
        if (new_launcher.empty()) {
            pack_launcher(dir, released, server.url("/"), "Newer");
        } else {
            dir.write("release/gamelauncher", new_launcher);
            std::filesystem::permissions(released, std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add);
        }
        release_launcher = platform::read_file_text(released);
        publish(dir / "release", dir / "srv", {"--check", "gamelauncher"});
    }

    void serve() { ServeFolder(server, dir / "srv"); }

    ProcessResult update(const std::string& crash_at = {}) {
        if (crash_at.empty())
            return run_process({launcher.string(), "update"});
        return run_process(
            {"/usr/bin/env", "LAUNCHER_CRASH_AT=" + crash_at, launcher.string(), "update"});
    }

    // The launcher under its name starts and does its work.
    void expect_launcher_runs() {
        const auto shown = run_process({launcher.string(), "config"});
        EXPECT_EQ(shown.exit_code, 0) << shown.output;
        EXPECT_THAT(shown.output, HasSubstr("Update servers"));
    }

    int requests_of(std::string_view path) const {
        const auto all = server.requests();
        return static_cast<int>(std::count_if(all.begin(), all.end(), [&](const auto& request) {
            return request.method == "GET" && request.path == path;
        }));
    }

    TempDir dir;
    FaultServer server;
    const std::filesystem::path installed = dir / "installed";
    const std::filesystem::path launcher = installed / "gamelauncher";
    const std::filesystem::path pristine = dir / "bin" / "gamelauncher";
    std::string old_launcher;
    std::string release_launcher;
};

TEST_F(SelfUpdateTest, KillAtEveryStepLeavesALauncherThatStartsAndFinishes) {
    struct Case {
        const char* crash_at; // empty: killed while the new executable downloads
        bool new_in_place;    // what stands under the name right after the kill
    };
    const Case cases[] = {
        {"", false},
        {"file-update:unpacked-early", false}, // unpacked while the archive's hash is taken
        {"file-update:fetched", false},
        {"self-update:staged", false},
        {"self-update:swapped", true},
        {"self-update:restarting", true},
    };
    publish_release();
    const std::string launcher_archive = "/gamelauncher.vdp";
    serve();
    for (const Case& c : cases) {
        SCOPED_TRACE(*c.crash_at ? c.crash_at : "killed during the download");
        install_old_launcher();

        if (*c.crash_at) {
            EXPECT_EQ(update(c.crash_at).exit_code, kKilled) << "the crash point was reached";
        } else {
            // One range of the new executable stalls: the run is surely inside
            // the download when it is killed.
            const int before = requests_of(launcher_archive);
            server.add_fault(launcher_archive, Fault{Fault::Kind::StallAfterBytes, 4096});
            const pid_t pid = spawn({launcher.string(), "update"}, dir / "out.txt");
            for (int i = 0; i < 12000 && requests_of(launcher_archive) == before; ++i)
                std::this_thread::sleep_for(5ms);
            std::this_thread::sleep_for(100ms);
            kill_and_wait(pid);
            ASSERT_GT(requests_of(launcher_archive), before);
        }
        EXPECT_TRUE(platform::read_file_text(launcher) ==
                    (c.new_in_place ? release_launcher : old_launcher));
        expect_launcher_runs();

        const auto next = update();
        EXPECT_EQ(next.exit_code, 0) << next.output;
        EXPECT_TRUE(platform::read_file_text(launcher) == release_launcher);
        EXPECT_FALSE(std::filesystem::exists(installed / "gamelauncher.bak"));
        EXPECT_EQ(platform::read_file_text(installed / "data" / "a.txt"), "released data");
        EXPECT_THAT(leftovers(installed), ::testing::IsEmpty());
        expect_launcher_runs();
    }
}

TEST_F(SelfUpdateTest, NewLauncherThatCannotStartIsSwappedBackAndTheRunGoesOn) {
    publish_release("this is no program\n");
    serve();
    const auto result = update();
    EXPECT_EQ(result.exit_code, 3) << result.output;
    EXPECT_THAT(result.errors,
                HasSubstr("not updated: \\gamelauncher: the new launcher could not be started"));
    EXPECT_TRUE(platform::read_file_text(launcher) == old_launcher);
    EXPECT_FALSE(std::filesystem::exists(installed / "gamelauncher.bak"));
    EXPECT_EQ(platform::read_file_text(installed / "data" / "a.txt"), "released data");
    EXPECT_THAT(leftovers(installed), ::testing::IsEmpty());
    expect_launcher_runs();
}

TEST_F(SelfUpdateTest, NewLauncherThatDiesAtItsStartIsSwappedBackAndTheRunGoesOn) {
    struct Case {
        const char* name;
        const char* program; // the new "launcher": it starts, then dies before its work
        const char* told;
    };
    const Case cases[] = {
        {"a library is missing",
         "#!/bin/sh\necho 'error while loading shared libraries: libgone.so.1' >&2\nexit 127\n",
         "it ended at its start with exit status 127"},
        {"crashes before its window", "#!/bin/sh\nkill -SEGV $$\n",
         "it ended at its start with exit status 139"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        install_old_launcher();
        publish_release(c.program);
        serve();
        const auto result = update();
        EXPECT_EQ(result.exit_code, 3) << result.output;
        EXPECT_THAT(result.errors,
                    HasSubstr(std::string("not updated: \\gamelauncher: the new launcher could not "
                                          "be started: ") +
                              c.told));
        EXPECT_TRUE(platform::read_file_text(launcher) == old_launcher);
        EXPECT_FALSE(std::filesystem::exists(installed / "gamelauncher.bak"));
        EXPECT_EQ(platform::read_file_text(installed / "data" / "a.txt"), "released data");
        EXPECT_THAT(leftovers(installed), ::testing::IsEmpty());
        EXPECT_FALSE(std::filesystem::exists(installed / "updater" / "SelfUpdate.started"));
        expect_launcher_runs();
    }
}

// Hash digits in either letter case name the same digest: the new launcher is
// installed once and the restarted run takes it as current.
TEST_F(SelfUpdateTest, CatalogueHashInLowerCaseRestartsOnce) {
    publish_release();
    const std::string hash = Md5Of(release_launcher);
    edit_manifest(dir / "srv", [&](std::string text) {
        const std::size_t at = text.find(hash + "|\\gamelauncher|");
        EXPECT_NE(at, std::string::npos) << text;
        if (at != std::string::npos)
            text.replace(at, hash.size(), platform::to_lower_ascii(hash));
        return text;
    });
    serve();
    const auto result = update();
    EXPECT_EQ(result.exit_code, 0) << result.output;
    std::size_t restarts = 0;
    for (std::size_t at = 0;
         (at = result.output.find("Restarting the updated launcher", at)) != std::string::npos;
         ++at)
        ++restarts;
    EXPECT_EQ(restarts, 1u) << result.output;
    EXPECT_TRUE(platform::read_file_text(launcher) == release_launcher);
    EXPECT_EQ(platform::read_file_text(installed / "data" / "a.txt"), "released data");
    expect_launcher_runs();
}

// ---------------------------------------------------------------------------
// One run per game folder, and runs stopped from outside.

// Waits for a spawned program to end; none when it is still running after
// `limit` (a guard against a hang, not a measure of speed).
std::optional<int> wait_bounded(pid_t pid, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(20ms);
    }
    kill_and_wait(pid);
    return std::nullopt;
}

// A release of three files whose last archive the server drips byte by byte
// until the test lets it go: a run stays inside that download meanwhile.
// (Stall periods of 20 s still apply to it; the test acts well within one.)
class HeldRunTest : public ::testing::Test {
protected:
    // `held_bytes`: the size of the held file; a large one is fetched in
    // several ranges, only one of which is held.
    void publish_release(std::size_t held_bytes) {
        dir.write("release/data/a.txt", "alpha");
        dir.write("release/system/jux.ini", "[client]\r\n");
        dir.write("release/z/slow.bin", random_bytes(held_bytes, 11));
        publish(dir / "release", dir / "srv");
        ServeFolder(server, dir / "srv");
        server.add_fault("/z/slow.bin.vdp", Fault{Fault::Kind::Drip});
    }

    // Starts `launcher-cli update` and returns once it is fetching the held archive.
    pid_t start_held_update() {
        const pid_t pid =
            spawn({launcher.string(), "update", "--folder", game.string()}, dir / "held.txt");
        for (int i = 0; i < 6000 && server.gets("/z/slow.bin.vdp").empty(); ++i)
            std::this_thread::sleep_for(10ms);
        EXPECT_FALSE(server.gets("/z/slow.bin.vdp").empty())
            << platform::read_file_text(dir / "held.txt");
        return pid;
    }

    TempDir dir;
    FaultServer server;
    const std::filesystem::path launcher =
        pack_launcher(dir, dir / "bin" / "launcher", server.url("/"));
    const std::filesystem::path game = dir / "game";
};

// The folder as a second run could change it: everything but the archive
// the first run is still receiving.
std::map<std::string, std::string> all_but_download(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files = all_files(folder);
    std::erase_if(files, [](const auto& file) { return file.first.starts_with("updater/$tmp."); });
    return files;
}

TEST_F(HeldRunTest, SecondRunOnTheSameFolderIsRefusedAndChangesNothing) {
    publish_release(8 << 10);
    const pid_t first = start_held_update();
    const auto during = all_but_download(game);
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {"update", {launcher.string(), "update", "--folder", game.string()}},
        {"check", {launcher.string(), "check", "--folder", game.string()}},
        {"start", {launcher.string(), "start", "--folder", game.string()}},
        {"fetch into the game folder",
         {launcher.string(), "fetch", server.url("/data/a.txt.vdp"),
          (game / "data" / "fetched.vdp").string()}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto second = run_process(c.arguments);
        EXPECT_EQ(second.exit_code, 1) << second.output;
        EXPECT_THAT(second.errors, HasSubstr("The launcher is already updating " + game.string()));
        EXPECT_TRUE(all_but_download(game) == during) << "the second run changed the folder";
    }

    server.release_drip_bytes(1 << 20);
    const auto code = wait_bounded(first, 120s);
    ASSERT_TRUE(code.has_value()) << "the first run is still running";
    EXPECT_EQ(*code, 0) << platform::read_file_text(dir / "held.txt");
    EXPECT_EQ(game_files(game), game_files(dir / "release"));
    EXPECT_THAT(leftovers(game), ::testing::IsEmpty());

    const auto after = run_process({launcher.string(), "update", "--folder", game.string()});
    EXPECT_EQ(after.exit_code, 0) << after.output << "the lock went with the first run";
}

TEST_F(HeldRunTest, StopRequestEndsTheRunWithItsStatusAfterRemovingItsTemporaryFiles) {
    struct Case {
        int signal_number;
        int status;
        const char* told;
    };
    const Case cases[] = {
        {SIGTERM, 143, "Stopped by SIGTERM"},
        {SIGINT, 130, "Stopped by SIGINT"},
        {SIGHUP, 129, "Stopped by SIGHUP"},
    };
    publish_release(3 << 20);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.told);
        std::filesystem::remove_all(game);
        std::filesystem::remove(dir / "held.txt");
        server.add_fault("/z/slow.bin.vdp", Fault{Fault::Kind::Drip});
        const int before = static_cast<int>(server.gets("/z/slow.bin.vdp").size());
        const pid_t pid =
            spawn({launcher.string(), "update", "--folder", game.string()}, dir / "held.txt");
        for (int i = 0;
             i < 6000 && static_cast<int>(server.gets("/z/slow.bin.vdp").size()) == before; ++i)
            std::this_thread::sleep_for(10ms);
        ASSERT_THAT(leftovers(game), ::testing::Contains(::testing::StartsWith("updater/$tmp.")))
            << "the run is inside the download";

        ::kill(pid, c.signal_number);
        const auto code = wait_bounded(pid, 60s);
        ASSERT_TRUE(code.has_value()) << "the stopped run is still running";
        const std::string output = platform::read_file_text(dir / "held.txt");
        EXPECT_EQ(*code, c.status) << output;
        EXPECT_THAT(output, HasSubstr(c.told));
        EXPECT_THAT(leftovers(game), ::testing::IsEmpty());
        EXPECT_FALSE(std::filesystem::exists(game / "updater.lst"));
        for (const auto& [name, content] : game_files(game))
            EXPECT_TRUE(content == platform::read_file_text(dir / "release" / name)) << name;
    }
}

// ---------------------------------------------------------------------------
// A full or read-only disk: a small tmpfs holds the game folder.

// A tmpfs mounted for one test and unmounted when it ends.
class TmpfsMount {
public:
    TmpfsMount(std::filesystem::path where, std::int64_t bytes)
        : where_(std::move(where)), options_("size=" + std::to_string(bytes)) {
        std::filesystem::create_directories(where_);
        mounted_ =
            ::geteuid() == 0 && ::mount("tmpfs", where_.c_str(), "tmpfs", 0, options_.c_str()) == 0;
    }
    ~TmpfsMount() {
        if (mounted_)
            ::umount2(where_.c_str(), MNT_DETACH);
    }
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool mounted() const { return mounted_; }
    bool make_read_only() {
        return ::mount(nullptr, where_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY,
                       options_.c_str()) == 0;
    }

private:
    std::filesystem::path where_;
    std::string options_;
    bool mounted_ = false;
};

class DiskTest : public ::testing::Test {
protected:
    // The older release installed in `game`, then a newer one published.
    void install_then_publish(const std::string& new_big) {
        dir.write("old/data/z-big.bin", "old big file");
        dir.write("old/data/note.txt", "old note");
        publish(dir / "old", dir / "srv");
        ServeFolder(server, dir / "srv");
        const auto first = run_process({launcher.string(), "update", "--folder", game.string()});
        ASSERT_EQ(first.exit_code, 0) << first.output;

        dir.write("new/data/z-big.bin", new_big);
        dir.write("new/data/note.txt", "new note");
        publish(dir / "new", dir / "srv",
                {"--check", "data\\z-big.bin", "--check", "data\\note.txt"});
        ServeFolder(server, dir / "srv");
    }

    ProcessResult update() {
        return run_process({launcher.string(), "update", "--folder", game.string()});
    }

    TempDir dir;
    FaultServer server;
    const std::filesystem::path launcher =
        pack_launcher(dir, dir / "bin" / "launcher", server.url("/"));
    const std::filesystem::path game = dir / "mnt" / "game";
};

TEST_F(DiskTest, FullDiskKeepsTheOldFileAndSaysSo) {
    struct Case {
        const char* name;
        std::int64_t disk_bytes; // the new file has 3 MiB
    };
    const Case cases[] = {
        {"the archive does not fit", 2 << 20},
        {"the archive fits, the extracted file does not", 5 << 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TmpfsMount disk(dir / "mnt", c.disk_bytes);
        if (!disk.mounted())
            GTEST_SKIP() << "needs root and a tmpfs mount";
        install_then_publish(random_bytes(3 << 20, 7));

        const auto result = update();
        EXPECT_EQ(result.exit_code, 3) << result.output;
        EXPECT_EQ(platform::read_file_text(game / "data" / "z-big.bin"), "old big file");
        EXPECT_EQ(platform::read_file_text(game / "data" / "note.txt"), "new note")
            << "the file that fits is installed";
        EXPECT_THAT(result.errors, HasSubstr("not updated: \\data\\z-big.bin: disk problem: "));
        EXPECT_THAT(result.errors, HasSubstr("No space left on device"));
        EXPECT_THAT(leftovers(game), ::testing::IsEmpty());
    }
}

TEST_F(DiskTest, ReadOnlyGameFolderIsToldWithItsPathAndNothingChanges) {
    TmpfsMount disk(dir / "mnt", 8 << 20);
    if (!disk.mounted())
        GTEST_SKIP() << "needs root and a tmpfs mount";
    install_then_publish("new big file");
    const auto before = all_files(game);
    if (!disk.make_read_only())
        GTEST_SKIP() << "the tmpfs cannot be made read-only";

    const auto result = update();
    EXPECT_THAT(result.exit_code, ::testing::AnyOf(1, 3)) << result.output;
    EXPECT_THAT(result.errors, HasSubstr(game.string()));
    EXPECT_THAT(result.errors, HasSubstr("Read-only file system"));
    EXPECT_THAT(result.output, Not(HasSubstr("No update server")));
    EXPECT_EQ(all_files(game), before);
}

TEST_F(DiskTest, UpdaterPathThatIsAFileEndsTheRunNamingIt) {
    dir.write("old/data/note.txt", "note");
    publish(dir / "old", dir / "srv");
    ServeFolder(server, dir / "srv");
    dir.write("mnt/game/updater", "a file, not a folder");

    const auto result = update();
    EXPECT_EQ(result.exit_code, 1) << result.output;
    EXPECT_THAT(result.errors, HasSubstr((game / "updater").string()));
    EXPECT_THAT(result.output, Not(HasSubstr("No update server")));
    EXPECT_EQ(platform::read_file_text(game / "updater"), "a file, not a folder");
}

// ---------------------------------------------------------------------------
// Links planted in the game folder never let a run write, rename or delete
// anything outside it.

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("outside/secret.txt", "secret");
        dir.write("release/data/a.txt", "alpha");
        dir.write("release/system/jux.ini", "[client]\r\n");
    }

    void publish_and_serve(const std::vector<std::string>& extra = {}) {
        publish(dir / "release", dir / "srv", extra);
        ServeFolder(server, dir / "srv");
    }

    ProcessResult update() {
        return run_process({launcher.string(), "update", "--folder", game.string()});
    }

    void link(const std::string& at, const std::filesystem::path& to) const {
        std::filesystem::create_directories((game / at).parent_path());
        std::filesystem::create_symlink(to, game / at);
    }

    void expect_outside_untouched() const {
        EXPECT_EQ(all_files(outside),
                  (std::map<std::string, std::string>{{"secret.txt", "secret"}}));
    }

    TempDir dir;
    FaultServer server;
    const std::filesystem::path launcher =
        pack_launcher(dir, dir / "bin" / "launcher", server.url("/"));
    const std::filesystem::path game = dir / "game";
    const std::filesystem::path outside = dir / "outside";
};

TEST_F(LinkTest, LinksAtTheLaunchersOwnFilesAndGameFilesAreReplacedNotFollowed) {
    struct Case {
        const char* at;
        bool to_folder; // the link points at the outside folder, else at its file
    };
    const Case cases[] = {
        {"updater.lst", false},
        {"updater/OldList.lst.tmp", false},
        {"updater/Vantoria.ini.tmp", false},
        {"updater/$tmp.vdp", false},
        {"updater/OldList.lst", false},
        {"updater", true},
        {"data/a.txt", false}, // a game file of the check section
    };
    publish_and_serve({"--check", "data\\a.txt"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at);
        std::filesystem::remove_all(game);
        link(c.at, c.to_folder ? outside : outside / "secret.txt");

        const auto result = update();
        EXPECT_EQ(result.exit_code, 0) << result.output;
        expect_outside_untouched();
        EXPECT_EQ(game_files(game), game_files(dir / "release"));
    }
}

TEST_F(LinkTest, GameFileBelowALinkedFolderIsRefused) {
    dir.write("release/linked/new.txt", "from the server");
    dir.write("outside/new.txt", "outside");
    publish_and_serve({"--check", "linked\\new.txt"});
    link("linked", outside);

    const auto result = update();
    EXPECT_EQ(result.exit_code, 3) << result.output;
    EXPECT_THAT(result.errors, HasSubstr("not updated: \\linked\\new.txt: "));
    EXPECT_THAT(result.errors, HasSubstr("symbolic link"));
    EXPECT_EQ(platform::read_file_text(outside / "new.txt"), "outside");
    EXPECT_EQ(platform::read_file_text(game / "data" / "a.txt"), "alpha");
}

TEST_F(LinkTest, RemovalAndCheckNamesDeleteRegularFilesOnly) {
    struct Case {
        const char* name;
        const char* sections; // appended to the manifest as they are
        const char* planted;  // a file of the game folder the lines name
        bool planted_stays;
        int exit_code;
    };
    const Case cases[] = {
        {"removal name without a leading backslash", "#\r\n@\r\nsystem\\old.dll\r\n",
         "system/old.dll", false, 0},
        {"removal name below a linked folder", "#\r\n@\r\n\\linked\\secret.txt\r\n", nullptr, false,
         0},
        {"removal name of the updater folder", "#\r\n@\r\n\\updater\r\n", nullptr, false, 0},
        // The check section's name is not in the catalogue: it is looked for
        // on the server, and the folder stays whatever it finds.
        {"check name of the updater folder", "#\r\n\\updater\r\n", nullptr, false, 3},
    };
    publish_and_serve();
    const auto installed = run_process({launcher.string(), "update", "--folder", game.string()});
    ASSERT_EQ(installed.exit_code, 0) << installed.output;
    link("linked", outside);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.planted)
            platform::write_file_atomic(game / c.planted, "planted");
        edit_manifest(dir / "srv", [&](std::string text) {
            return text.substr(0, text.find("#\r\n")) + c.sections;
        });
        ServeFolder(server, dir / "srv");

        const auto result = update();
        EXPECT_EQ(result.exit_code, c.exit_code) << result.output;
        if (c.planted) {
            EXPECT_EQ(std::filesystem::exists(game / c.planted), c.planted_stays);
        }
        expect_outside_untouched();
        EXPECT_TRUE(std::filesystem::is_regular_file(game / "updater" / "OldList.lst"));
        EXPECT_TRUE(std::filesystem::is_regular_file(game / "updater" / "Vantoria.ini"));
        EXPECT_EQ(platform::read_file_text(game / "data" / "a.txt"), "alpha");
    }
}

// ---------------------------------------------------------------------------
// Names that must be percent-encoded reach nginx and come back exactly.

TEST(CliNamesTest, NamesWithBlanksReservedAndNonAsciiCharactersInstall) {
    if (!NginxServer::Available())
        GTEST_SKIP() << "nginx is not installed";
    TempDir dir;
    // "?" is refused by the publisher (a Windows player could not hold the
    // name); the address encoding of it is covered by PackedFileAddressTest.
    const std::vector<std::string> names = {
        "data/with blank.txt", "data/hash#tag.txt", "data/100%.txt",        "data/plus+sign.txt",
        "data/Grüße.txt",      "data/a&b=c;d.txt",  "sub dir/ä b#1%20.txt", "data/%41.txt",
    };
    for (std::size_t i = 0; i < names.size(); ++i)
        dir.write("game/" + names[i], "content " + std::to_string(i));
    publish(dir / "game", dir / "srv");
    NginxServer nginx(dir / "srv");
    ASSERT_TRUE(nginx.running());
    const auto launcher = pack_launcher(dir, dir / "bin" / "launcher", nginx.url("/"));

    const auto result =
        run_process({launcher.string(), "update", "--folder", (dir / "installed").string()});
    EXPECT_EQ(result.exit_code, 0) << result.output;
    EXPECT_EQ(game_files(dir / "installed"), game_files(dir / "game"));
}

// ---------------------------------------------------------------------------
// Nothing hangs: a server that accepts connections and never answers.

TEST(CliHangTest, OnlyServerNeverAnswersEndsWithNoServer) {
    TempDir dir;
    TcpListener silent("127.0.0.1", 0);
    const auto launcher = pack_launcher(dir, dir / "bin" / "launcher",
                                        "http://127.0.0.1:" + std::to_string(silent.port()) + "/");
    // Three calls for the file list, one stall period each.
    const auto code = run_bounded(
        {launcher.string(), "update", "--folder", (dir / "game").string()}, dir / "out.txt", 150s);
    ASSERT_TRUE(code.has_value()) << "still running after 150 s";
    EXPECT_EQ(*code, 2);
    EXPECT_THAT(platform::read_file_text(dir / "out.txt"), HasSubstr("No update server"));
}

TEST(CliHangTest, UsePingPassesOverAServerThatNeverAnswers) {
    TempDir dir;
    TcpListener silent("127.0.0.1", 0);
    FaultServer server;
    dir.write("game/data/a.txt", "alpha");
    publish(dir / "game", dir / "srv");
    ServeFolder(server, dir / "srv");
    const auto launcher = pack_launcher(
        dir, dir / "bin" / "launcher",
        {"http://127.0.0.1:" + std::to_string(silent.port()) + "/", server.url("/")}, "Ping", true);

    const auto code =
        run_bounded({launcher.string(), "update", "--folder", (dir / "installed").string()},
                    dir / "out.txt", 60s);
    ASSERT_TRUE(code.has_value()) << "still running after 60 s";
    EXPECT_EQ(*code, 0) << platform::read_file_text(dir / "out.txt");
    EXPECT_EQ(game_files(dir / "installed"), game_files(dir / "game"));
}

// ---------------------------------------------------------------------------
// Servers that fail in the ways real ones do: each case is a list of update
// servers, how they misbehave, and what the player is told.

struct ServerFaultCase {
    const char* name;
    // Sets up the good server (serving the published folder) and the list
    // of server addresses the launcher is packed with.
    std::function<std::vector<std::string>(FaultServer& good, FaultServer& other,
                                           const std::filesystem::path& served)>
        servers;
    int exit_code;
    const char* told; // a part of the output
    bool installed;   // the game folder ends up equal to the release
};

std::string refused_address() {
    TcpListener closed("127.0.0.1", 0);
    return "http://127.0.0.1:" + std::to_string(closed.port()) + "/";
}

TEST(CliServerFaultTest, EachServerFaultEndsAsTold) {
    const std::string big(150000, 'b');
    const ServerFaultCase cases[] = {
        {"a refused first server, the second serves",
         [](FaultServer& good, FaultServer&, const std::filesystem::path&) {
             return std::vector<std::string>{refused_address(), good.url("/")};
         },
         0, "", true},
        {"refused, then an error page, then a server that serves",
         [](FaultServer& good, FaultServer& other, const std::filesystem::path&) {
             other.serve("/updater.lst.vdp", Resource{.body = "x", .head_status = 500});
             return std::vector<std::string>{refused_address(), other.url("/"), good.url("/")};
         },
         0, "", true},
        {"the file list and an archive redirected to a mirror",
         [](FaultServer& good, FaultServer& other, const std::filesystem::path& served) {
             ServeFolder(other, served);
             for (const std::string path : {"/updater.lst.vdp", "/data/a.txt.vdp"}) {
                 good.serve(
                     path,
                     Resource{.body = "", .head_status = 302, .head_location = other.url(path)});
                 good.add_fault(path, Fault{.kind = Fault::Kind::Redirect,
                                            .times = Fault::kEveryRequest,
                                            .location = other.url(path)});
             }
             return std::vector<std::string>{good.url("/")};
         },
         0, "", true},
        {"a file list whose HEAD gives no length",
         [](FaultServer& good, FaultServer&, const std::filesystem::path& served) {
             good.serve("/updater.lst.vdp",
                        Resource{.body = platform::read_file_text(served / "updater.lst.vdp"),
                                 .head_length = HeadLength::Absent});
             return std::vector<std::string>{good.url("/")};
         },
         2, "the update server gave no length for the file list", false},
        {"a file list whose ranges state another total",
         [](FaultServer& good, FaultServer&, const std::filesystem::path& served) {
             good.serve("/updater.lst.vdp",
                        Resource{.body = platform::read_file_text(served / "updater.lst.vdp"),
                                 .head_stated_length = 5000});
             return std::vector<std::string>{good.url("/")};
         },
         2, "disagree about the file list's length", false},
        {"a file list stated far longer than a file list can be",
         [](FaultServer& good, FaultServer&, const std::filesystem::path& served) {
             good.serve("/updater.lst.vdp",
                        Resource{.body = platform::read_file_text(served / "updater.lst.vdp"),
                                 .head_stated_length = std::int64_t{20} << 30});
             return std::vector<std::string>{good.url("/")};
         },
         2, "sent more than it can be", false},
        {"an archive stated far longer than its file",
         [big](FaultServer& good, FaultServer&, const std::filesystem::path& served) {
             good.serve("/data/b.bin.vdp",
                        Resource{.body = platform::read_file_text(served / "data" / "b.bin.vdp"),
                                 .head_stated_length = std::int64_t{20} << 30});
             return std::vector<std::string>{good.url("/")};
         },
         3, "not updated: \\data\\b.bin: the update server sent more than it can be", false},
    };
    for (const ServerFaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.write("game/data/a.txt", "alpha");
        dir.write("game/data/b.bin", big);
        publish(dir / "game", dir / "srv");
        FaultServer good;
        FaultServer other;
        ServeFolder(good, dir / "srv");
        const auto launcher = pack_launcher(dir, dir / "bin" / "launcher",
                                            c.servers(good, other, dir / "srv"), "Faults", false);

        const auto result =
            run_process({launcher.string(), "update", "--folder", (dir / "installed").string()});
        EXPECT_EQ(result.exit_code, c.exit_code) << result.output;
        EXPECT_THAT(result.output, HasSubstr(c.told));
        if (c.installed)
            EXPECT_EQ(game_files(dir / "installed"), game_files(dir / "game"));
        else
            EXPECT_NE(game_files(dir / "installed"), game_files(dir / "game"));
        EXPECT_THAT(result.output, Not(HasSubstr("is empty")));
    }
}

// ---------------------------------------------------------------------------
// Text from a server reaches the terminal with its control characters replaced.

TEST(CliControlCharacterTest, NoEscapeSequenceFromTheServerReachesTheTerminal) {
    const std::string name = "\\data\\\x1b[2J\x1b[31mred\x1b]0;title\x07.txt";
    struct Case {
        const char* name;
        Release release;
        bool archive_served;
        const char* shown; // what the output must hold instead
    };
    const Case cases[] = {
        {"file installed", Release{{{"\\data\\plain.txt", "plain"}, {name, "red"}}}, true,
         "Updating \\data\\?[2J?[31mred?]0;title?.txt"},
        {"file not on the server", Release{{{"\\data\\plain.txt", "plain"}, {name, "red"}}}, false,
         "not updated: \\data\\?[2J?[31mred?]0;title?.txt"},
        {"damaged date in the file list",
         Release{{{"\\data\\plain.txt", "plain"}},
                 {},
                 {},
                 {"00000000000000000000000000000000|\\data\\x.txt|5|\x1b[31mnot a date|"
                  "00000000000000000000000000000000"}},
         true, "?[31m"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        FaultServer server;
        PublishRelease(c.release, dir / "srv");
        if (!c.archive_served)
            std::filesystem::remove(platform::native_path(dir / "srv", name + ".vdp"));
        ServeFolder(server, dir / "srv");
        const auto launcher = pack_launcher(dir, dir / "bin" / "launcher", server.url("/"));

        const auto result =
            run_process({launcher.string(), "update", "--folder", (dir / "game").string()});
        EXPECT_NE(result.exit_code, 1) << result.output;
        EXPECT_EQ(result.output.find('\x1b'), std::string::npos) << result.output;
        EXPECT_THAT(result.output, HasSubstr(c.shown));
    }
}

// ---------------------------------------------------------------------------
// launcher-cli fetch: a failed download is a failure and leaves FILE as it was.

struct FetchCase {
    const char* name;
    Resource resource;
    std::optional<Fault> fault;
};

std::vector<FetchCase> failing_fetches() {
    const std::string body = random_bytes(300000, 3);
    return {
        {"HEAD length smaller than the 206 totals",
         Resource{.body = body, .head_stated_length = 200000}, std::nullopt},
        {"every range answered with an error", Resource{.body = body},
         Fault{Fault::Kind::Status, 0, 500, std::nullopt, Fault::kEveryRequest}},
        {"every range dropped midway", Resource{.body = body},
         Fault{Fault::Kind::DropAfterBytes, 1000, 0, std::nullopt, Fault::kEveryRequest}},
    };
}

// Fetches the case's file over an existing FILE; the exit status.
int fetch_over_a_kept_file(const FetchCase& c, const TempDir& dir) {
    FaultServer server;
    server.serve("/file.bin", c.resource);
    if (c.fault)
        server.add_fault("/file.bin", *c.fault);
    const auto target = dir.write("file.bin", "a file the player keeps");
    const auto result = run_process({kCli, "fetch", server.url("/file.bin"), target.string()});
    return result.exit_code;
}

TEST(CliFetchTest, EmptyFileIsFetched) {
    TempDir dir;
    FaultServer server;
    server.serve("/empty.bin", Resource{.body = "", .head_length = HeadLength::Zero});
    const auto target = dir.write("empty.bin", "a file the player keeps");
    const auto result = run_process({kCli, "fetch", server.url("/empty.bin"), target.string()});
    EXPECT_EQ(result.exit_code, 0) << result.output;
    EXPECT_THAT(result.output, Not(HasSubstr("gave no length")));
    EXPECT_EQ(platform::read_file_text(target), "");
}

TEST(CliFetchTest, FailedFetchExitsNonZero) {
    for (const FetchCase& c : failing_fetches()) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        EXPECT_NE(fetch_over_a_kept_file(c, dir), 0);
    }
}

TEST(CliFetchTest, FailedFetchLeavesAnExistingFileUntouched) {
    for (const FetchCase& c : failing_fetches()) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        fetch_over_a_kept_file(c, dir);
        EXPECT_TRUE(platform::read_file_text(dir / "file.bin") == "a file the player keeps");
        EXPECT_EQ(all_files(dir.path()).size(), 1u) << "no temporary file is left";
    }
}

} // namespace
} // namespace launcher::testing
