// Five releases of one game published over one update-server folder with
// launcher-publish, served by nginx, and players in different states who
// bring their folders up to date with nothing but `launcher-cli update`.
#include "platform/files.h"
#include "support/nginx_server.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "update/launcher_programs.h"

#include <chrono>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

constexpr const char* kLauncher = "gamelauncher";

std::vector<std::string> lines_starting(const std::string& output, std::string_view prefix) {
    std::vector<std::string> found;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);)
        if (line.starts_with(prefix))
            found.push_back(line);
    return found;
}

std::string public_key_line(const std::string& keygen_output) {
    const std::size_t at = keygen_output.find("publickey=");
    return keygen_output.substr(at, keygen_output.find('\n', at) - at);
}

// Copies a game folder as a player would copy an install (dates kept), but
// without the launcher's own folder: no previous list comes along.
void copy_install(const std::filesystem::path& from, const std::filesystem::path& to) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(from)) {
        const auto relative = entry.path().lexically_relative(from);
        if (*relative.begin() == "updater" || !entry.is_regular_file())
            continue;
        std::filesystem::create_directories((to / relative).parent_path());
        std::filesystem::copy_file(entry.path(), to / relative);
        std::filesystem::permissions(to / relative, entry.status().permissions());
        std::filesystem::last_write_time(to / relative, entry.last_write_time());
    }
}

class ReleaseSequenceTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (!NginxServer::Available())
            GTEST_SKIP() << "nginx is not installed";
        std::filesystem::create_directories(dir / "srv");
        nginx = std::make_unique<NginxServer>(dir / "srv");
        ASSERT_TRUE(nginx->running());
        config = config_text({nginx->url("/")});
        if (GetParam()) {
            const auto keygen =
                run_process({kPublish, "keygen", "--secret-key", (dir / "release.key").string(),
                             "--public-key", (dir / "release.pub").string()});
            ASSERT_EQ(keygen.exit_code, 0) << keygen.output;
            config.replace(config.find("[updateservers]\r\n"), 17,
                           "[updateservers]\r\n" + public_key_line(keygen.output) + "\r\n");
        }
    }

    // A game file with a date of its own, so that each release's edits are
    // told apart by date as a publisher's are.
    void write(const std::string& name, const std::string& content) {
        const auto path = dir.write("game/" + name, content);
        std::filesystem::last_write_time(path, next_date_);
        next_date_ += std::chrono::minutes(7);
    }

    void pack_game_launcher(const std::string& tray) {
        std::string text = config;
        text.replace(text.find("trayhint=Test"), 13, "trayhint=" + tray);
        pack_launcher_with_config(dir, dir / "game" / kLauncher, text);
    }

    // Publishes the game folder; returns launcher-publish's output.
    std::string publish_release(const std::vector<std::string>& removals) {
        std::vector<std::string> arguments{
            kPublish,  "publish",        (dir / "game").string(), (dir / "srv").string(),
            "--check", "system\\jux.ini"};
        for (const std::string& name : removals) {
            arguments.push_back("--remove");
            arguments.push_back(name);
        }
        if (GetParam()) {
            arguments.push_back("--sign-key");
            arguments.push_back((dir / "release.key").string());
        }
        const auto result = run_process(arguments);
        EXPECT_EQ(result.exit_code, 0) << result.output;
        NginxServer::OpenForReading(dir / "srv");
        if (GetParam()) {
            const auto verified = run_process({kPublish, "verify", (dir / "srv").string(),
                                               "--public-key", (dir / "release.pub").string()});
            EXPECT_EQ(verified.exit_code, 0) << verified.output;
        }
        return result.output;
    }

    // A new player: a launcher from the publisher's site in an empty folder.
    std::filesystem::path new_player(const std::string& name) {
        const auto folder = dir / name;
        std::string text = config;
        text.replace(text.find("trayhint=Test"), 13, "trayhint=Installer");
        pack_launcher_with_config(dir, folder / kLauncher, text);
        return folder;
    }

    ProcessResult launcher(const std::filesystem::path& folder, const std::string& command) {
        return run_process({(folder / kLauncher).string(), command});
    }

    // `update` brings the folder to the release byte for byte; a second
    // `update` fetches nothing and reads no game file but the check section's.
    void expect_updated(const std::filesystem::path& folder, const std::string& release) {
        const auto update = launcher(folder, "update");
        ASSERT_EQ(update.exit_code, 0) << folder << " " << release << "\n" << update.output;
        EXPECT_EQ(game_files(folder), game_files(dir / "game")) << folder << " " << release;
        EXPECT_FALSE(std::filesystem::exists(folder / (std::string(kLauncher) + ".bak")));
        const auto again = launcher(folder, "update");
        ASSERT_EQ(again.exit_code, 0) << again.output;
        EXPECT_THAT(again.output, HasSubstr("All files are up to date"))
            << folder << " " << release;
        EXPECT_THAT(again.output, Not(HasSubstr("Updating "))) << folder << " " << release;
        EXPECT_THAT(lines_starting(again.output, "Checking "),
                    ::testing::ElementsAre("Checking \\system\\jux.ini"))
            << folder << " " << release;
    }

    TempDir dir;
    std::unique_ptr<NginxServer> nginx;
    std::string config;

private:
    std::filesystem::file_time_type next_date_ =
        std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 30);
};

TEST_P(ReleaseSequenceTest, EveryPlayerReachesTheLatestReleaseWithUpdateAlone) {
    // Release 1.
    pack_game_launcher("Release 1");
    write("system/jux.ini", "[client]\r\nport=7000\r\n");
    write("data/a.dat", std::string(1000, 'a'));
    write("data/b.dat", std::string(1000, 'b'));
    write("data/c.dat", std::string(700, 'c'));
    write("maps/m1.map", std::string(300, 'm'));
    EXPECT_THAT(publish_release({}), HasSubstr("6 files changed since the previous release"));
    const auto current = new_player("current");
    const auto skipper = new_player("skipper");
    const auto edited = new_player("edited");
    for (const auto& folder : {current, skipper, edited})
        expect_updated(folder, "release 1");

    // A player's own edits: the check section's file is repaired by the
    // next start, any other only by the full check.
    dir.write("edited/system/jux.ini", "[client]\r\nport=6666\r\n");
    dir.write("edited/data/c.dat", std::string(700, 'x'));

    // Release 2: a file changed with its size kept, a file added.
    write("data/b.dat", std::string(1000, 'B'));
    write("data/new.dat", "new");
    EXPECT_THAT(publish_release({}),
                HasSubstr("2 files changed since the previous release, 1003 bytes"));
    expect_updated(current, "release 2");
    const auto before_check = launcher(edited, "update");
    ASSERT_EQ(before_check.exit_code, 0) << before_check.output;
    EXPECT_THAT(before_check.output, HasSubstr("Updating \\system\\jux.ini"));
    EXPECT_EQ(platform::read_file_text(edited / "data" / "c.dat"), std::string(700, 'x'));
    const auto check = launcher(edited, "check");
    ASSERT_EQ(check.exit_code, 0) << check.output;
    EXPECT_THAT(check.output, HasSubstr("Updating \\data\\c.dat"));
    expect_updated(edited, "release 2");
    const auto copied = dir / "copied";
    copy_install(current, copied);

    // Release 3: a file changed in size, a folder added, a new launcher.
    write("data/a.dat", std::string(1500, 'A'));
    write("extra/x1.dat", "x1");
    write("extra/x2.dat", "x2");
    pack_game_launcher("Release 3");
    EXPECT_THAT(publish_release({}), HasSubstr("4 files changed since the previous release"));
    for (const auto& folder : {current, edited, copied})
        expect_updated(folder, "release 3");

    // Release 4: a file removed, a file renamed. Removal names stay in the
    // later releases, for players who skip some.
    std::filesystem::remove(dir / "game" / "maps" / "m1.map");
    std::filesystem::rename(dir / "game" / "data" / "new.dat",
                            dir / "game" / "data" / "renamed.dat");
    std::vector<std::string> removals{"maps\\m1.map", "data\\new.dat"};
    EXPECT_THAT(publish_release(removals), HasSubstr("1 file changed since the previous release"));
    for (const auto& folder : {current, edited, copied})
        expect_updated(folder, "release 4");

    // Release 5: the folder removed again, the check-section file and a
    // file changed.
    std::filesystem::remove_all(dir / "game" / "extra");
    write("system/jux.ini", "[client]\r\nport=7001\r\n");
    write("data/b.dat", std::string(800, 'b'));
    removals.insert(removals.end(), {"extra\\x1.dat", "extra\\x2.dat"});
    EXPECT_THAT(publish_release(removals), HasSubstr("2 files changed since the previous release"));
    for (const auto& folder : {current, edited, copied, skipper})
        expect_updated(folder, "release 5");
    EXPECT_FALSE(std::filesystem::exists(skipper / "maps" / "m1.map"));
    EXPECT_FALSE(std::filesystem::exists(skipper / "extra" / "x1.dat"));
}

INSTANTIATE_TEST_SUITE_P(Releases, ReleaseSequenceTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "Signed" : "Unsigned";
                         });

} // namespace
} // namespace launcher::testing
