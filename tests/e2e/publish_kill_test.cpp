// launcher-publish publish over a served release, killed at chosen moments
// or failing on a file it cannot read: what nginx serves stays installable,
// and the next publish completes the release. Players are launcher-cli.
#include "../archive/served_tree.h"
#include "catalogue/md5.h"
#include "kill_harness.h"
#include "platform/files.h"
#include "support/nginx_server.h"
#include "support/process.h"
#include "support/temp_dir.h"

#include <fcntl.h>
#include <map>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

using ::testing::HasSubstr;

const std::string kCli = LAUNCHER_CLI;
const std::string kPublish = LAUNCHER_PUBLISH;
const std::filesystem::path kAssets = LAUNCHER_ASSETS;

using Files = std::map<std::string, std::string>;

std::string config_text(const std::string& server) {
    return "[config]\r\ninstance=Publish test\r\ntrayhint=Test\r\n[updateservers]\r\nurl=" +
           server +
           "\r\n[lang=1033:English]\r\n3=All files are up to date\r\n5=Update complete\r\n";
}

// The game files below a player's folder: everything but the updater folder.
Files game_files(const std::filesystem::path& folder) {
    Files files;
    for (auto& [name, content] : FolderContent(folder))
        if (!name.starts_with("updater/"))
            files.emplace(name, std::move(content));
    return files;
}

// Each file's MD5 rather than its content, for messages one can read.
Files digests(const Files& files) {
    Files result;
    for (const auto& [name, content] : files) {
        TMD5 md5;
        md5.Add(content.data(), content.size());
        result.emplace(name, md5.DigestStr());
    }
    return result;
}

// Which files of a release a player's folder lacks or holds otherwise.
std::string not_installed(const std::filesystem::path& player, const Files& release) {
    std::string problems;
    for (const auto& [name, content] : release) {
        const auto file = player / name;
        if (!std::filesystem::exists(file))
            problems += name + " is missing; ";
        else if (platform::read_file_text(file) != content)
            problems += name + " differs; ";
    }
    return problems;
}

Files without_temporaries(Files files) {
    std::erase_if(files, [](const auto& file) { return file.first.ends_with(".publish-tmp"); });
    return files;
}

// The first release: four folders of small files, a client folder, a file
// alone in its folder and a larger file.
void write_first_release(const TempDir& dir) {
    for (int i = 0; i < 16; ++i)
        dir.write("game/data/set" + std::to_string(i % 4) + "/f" + std::to_string(i) + ".dat",
                  std::string(700 + i * 31, static_cast<char>('a' + i)));
    dir.write("game/system/jux.ini", "[client]\r\nport=7000\r\n");
    dir.write("game/old/only.dat", "gone in the second release");
    dir.write("game/data/large.pak", std::string(400000, 'L'));
}

// The second: four files changed, two added (one in a new folder), two gone.
const std::set<std::string> kChanged{"data/set1/f1.dat", "data/set1/f5.dat", "data/large.pak",
                                     "system/jux.ini"};

void write_second_release(const TempDir& dir) {
    for (const auto& name : kChanged)
        dir.write("game/" + name, "second release of " + name);
    dir.write("game/data/set0/added.dat", "added");
    dir.write("game/extra/deep/added.txt", "added in a new folder");
    std::filesystem::remove(dir / "game/old/only.dat");
    std::filesystem::remove(dir / "game/data/set3/f3.dat");
}

class PublishOverServedReleaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!NginxServer::Available())
            GTEST_SKIP() << "nginx is not installed";
        write_first_release(dir);
        first_game = game_files(dir / "game");
        publish_ok(dir / "server");
        first = FolderContent(dir / "server");
        write_second_release(dir);
        second_game = game_files(dir / "game");
        publish_ok(dir / "reference"); // the second release published cleanly
        second = FolderContent(dir / "reference");

        nginx.emplace(dir / "server");
        ASSERT_TRUE(nginx->running());
        const auto config = dir.write("launcher.cfg", config_text(nginx->url("/")));
        std::filesystem::create_directories(launcher.parent_path());
        const auto packed =
            run_process({kPublish, "package", "--skin", (kAssets / "skin").string(), "--config",
                         config.string(), "--into", kCli, "--output", launcher.string()});
        ASSERT_EQ(packed.exit_code, 0) << packed.output;
    }

    void publish_ok(const std::filesystem::path& out, std::vector<std::string> extra = {}) {
        std::vector<std::string> arguments{kPublish, "publish", (dir / "game").string(),
                                           out.string()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        const auto result = run_process(arguments);
        ASSERT_EQ(result.exit_code, 0) << result.output;
    }

    // A new player installs what the server serves.
    ProcessResult install(const std::string& player) {
        NginxServer::OpenForReading(dir / "server");
        return run_process({launcher.string(), "update", "--folder", (dir / player).string()});
    }

    // Every archive served is the first release's or the second's, and every
    // archive the served manifest names is there.
    void expect_every_archive_old_or_new() {
        for (const auto& [name, content] : without_temporaries(FolderContent(dir / "server"))) {
            if (!name.ends_with(".vdp") || name == "updater.lst.vdp")
                continue;
            EXPECT_TRUE(content == first[name] || content == second[name]) << name;
        }
        const auto served = ServedCatalogue(dir / "server");
        for (int id = 0; id < served.Count(); ++id) {
            auto archive =
                platform::native_path(dir / "server", served.GetItemByID(id)->Content.Name);
            archive += ".vdp";
            EXPECT_TRUE(std::filesystem::exists(archive)) << archive;
        }
    }

    // The next publish completes the release exactly as a clean publish
    // makes it, and a player updates to it.
    void expect_republish_completes() {
        publish_ok(dir / "server");
        EXPECT_EQ(digests(FolderContent(dir / "server")), digests(second));
        EXPECT_EQ(ServedTreeProblem(dir / "server"), "");
        const auto installed = install("later player");
        EXPECT_EQ(installed.exit_code, 0) << installed.output;
        EXPECT_EQ(not_installed(dir / "later player", second_game), "");
    }

    TempDir dir;
    Files first_game, second_game; // the game folder of each release
    Files first, second;           // the served tree of each release
    std::optional<NginxServer> nginx;
    std::filesystem::path launcher = dir / "bin/launcher";
};

// Where a publish is killed, and what players are served then.
struct KillPoint {
    std::string what;
    std::function<std::function<bool(const FileCall&)>()> before; // a fresh matcher per run
    enum class Served {
        first,            // the first release, its files untouched
        first_some_newer, // the first release's manifest; some archives already the second's
        second            // the second release
    } served;
};

void PrintTo(const KillPoint& point, std::ostream* out) {
    *out << point.what;
}

std::string file_name(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// The `n`th call that `match` takes.
std::function<std::function<bool(const FileCall&)>()>
nth(int n, std::function<bool(const FileCall&)> match) {
    return [n, match] {
        return [n, match, seen = 0](const FileCall& call) mutable {
            return match(call) && ++seen == n;
        };
    };
}

bool creates_staged_archive(const FileCall& call) {
    return call.kind == FileCall::Kind::create && call.path.ends_with(".vdp.publish-tmp");
}
bool creates(const FileCall& call, const std::string& name) {
    return call.kind == FileCall::Kind::create && file_name(call.path) == name;
}
bool renames_archive(const FileCall& call) {
    return call.kind == FileCall::Kind::rename && call.target.ends_with(".vdp") &&
           file_name(call.target) != "updater.lst.vdp";
}
bool renames_to(const FileCall& call, const std::string& name) {
    return call.kind == FileCall::Kind::rename && file_name(call.target) == name;
}

class KilledPublishTest : public PublishOverServedReleaseTest,
                          public ::testing::WithParamInterface<KillPoint> {};

TEST_P(KilledPublishTest, PlayersAreServedAWholeReleaseAndTheNextPublishCompletesIt) {
    const auto& point = GetParam();
    TracedRun run;
    try {
        run = RunKilledBefore(
            {kPublish, "publish", (dir / "game").string(), (dir / "server").string()},
            point.before());
    } catch (const TracingUnavailable& unavailable) {
        GTEST_SKIP() << unavailable.what();
    }
    ASSERT_TRUE(run.killed) << "the moment never came: " << run.output;

    const auto served = without_temporaries(FolderContent(dir / "server"));
    const auto& release = point.served == KillPoint::Served::second ? second : first;
    EXPECT_EQ(served.at("updater.lst.vdp"), release.at("updater.lst.vdp"));
    if (point.served == KillPoint::Served::first) {
        EXPECT_EQ(digests(served), digests(first));
    }
    expect_every_archive_old_or_new();

    const auto installed = install("player");
    if (point.served == KillPoint::Served::first_some_newer) {
        // Each file installed is the first release's; a file whose archive
        // is already the second's fails its packed-hash check and stays out.
        for (const auto& [name, content] : first_game) {
            const auto file = dir / "player" / name;
            if (std::filesystem::exists(file))
                EXPECT_TRUE(platform::read_file_text(file) == content) << name;
            else
                EXPECT_TRUE(kChanged.contains(name)) << name << " missing\n" << installed.output;
        }
    } else {
        EXPECT_EQ(installed.exit_code, 0) << installed.output;
        EXPECT_EQ(not_installed(dir / "player", point.served == KillPoint::Served::second
                                                    ? second_game
                                                    : first_game),
                  "");
    }
    expect_republish_completes();
}

INSTANTIATE_TEST_SUITE_P(
    Moments, KilledPublishTest,
    ::testing::Values(
        KillPoint{"while the third archive is staged", nth(3, creates_staged_archive),
                  KillPoint::Served::first},
        KillPoint{"while the staged manifest is written",
                  nth(1, [](const FileCall& c) { return creates(c, "updater.lst.publish-tmp"); }),
                  KillPoint::Served::first},
        KillPoint{"while the staged files are flushed",
                  nth(1, [](const FileCall& c) { return c.kind == FileCall::Kind::flush; }),
                  KillPoint::Served::first},
        KillPoint{"before the first archive is renamed", nth(1, renames_archive),
                  KillPoint::Served::first},
        KillPoint{"after two archives were renamed", nth(3, renames_archive),
                  KillPoint::Served::first_some_newer},
        KillPoint{"before updater.lst is renamed",
                  nth(1, [](const FileCall& c) { return renames_to(c, "updater.lst"); }),
                  KillPoint::Served::first_some_newer},
        KillPoint{"before updater.lst.vdp is renamed",
                  nth(1, [](const FileCall& c) { return renames_to(c, "updater.lst.vdp"); }),
                  KillPoint::Served::first_some_newer},
        KillPoint{"while archives of gone files are removed",
                  nth(1,
                      [](const FileCall& c) {
                          return c.kind == FileCall::Kind::remove && c.path.ends_with(".vdp");
                      }),
                  KillPoint::Served::second}),
    [](const auto& named) {
        std::string name;
        for (char c : named.param.what)
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

// A publish that fails half-way: how to make it fail, the file its message
// names, and how to take the cause away again.
struct FailingFile {
    std::string what;
    std::function<std::function<void()>(const TempDir&)> break_it; // gives the repair
    std::string named;
    bool needs_other_than_root = false;
};

void PrintTo(const FailingFile& failing, std::ostream* out) {
    *out << failing.what;
}

class FailedPublishTest : public PublishOverServedReleaseTest,
                          public ::testing::WithParamInterface<FailingFile> {};

TEST_P(FailedPublishTest, LeavesTheServedReleaseAsItWasAndTheNextPublishCompletesIt) {
    if (GetParam().needs_other_than_root && ::geteuid() == 0)
        GTEST_SKIP() << "root reads a file whatever its mode";
    const auto repair = GetParam().break_it(dir);
    const auto failed =
        run_process({kPublish, "publish", (dir / "game").string(), (dir / "server").string()});
    EXPECT_EQ(failed.exit_code, 1) << failed.output;
    EXPECT_THAT(failed.output, HasSubstr(GetParam().named));
    EXPECT_THAT(failed.output, HasSubstr("is unchanged"));
    EXPECT_EQ(digests(FolderContent(dir / "server")), digests(first));
    EXPECT_FALSE(std::filesystem::exists(dir / "server/extra"));

    const auto installed = install("player");
    EXPECT_EQ(installed.exit_code, 0) << installed.output;
    EXPECT_EQ(not_installed(dir / "player", first_game), "");

    repair();
    second_game = game_files(dir / "game");
    publish_ok(dir / "reference2");
    second = FolderContent(dir / "reference2");
    expect_republish_completes();
}

// Sorted after every change but the new folder, so the failure comes when
// most archives are staged.
std::function<void()> make_unreadable(const TempDir& dir) {
    const auto file = dir.write("game/zz/unreadable.bin", "secret");
    std::filesystem::permissions(file, std::filesystem::perms::none);
    return [file] {
        std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                               std::filesystem::perms::owner_write);
    };
}

std::function<void()> lock_as_a_writer(const TempDir& dir) {
    const auto file = dir.write("game/zz/unreadable.bin", "being written");
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ::flock(fd, LOCK_EX);
    return [fd] { ::close(fd); };
}

// A folder where an archive is to be staged, as a full disk would fail it.
std::function<void()> block_an_archive(const TempDir& dir) {
    const auto in_the_way = dir / "server/data/set1/f5.dat.vdp.publish-tmp";
    std::filesystem::create_directories(in_the_way / "folder");
    return [in_the_way] { std::filesystem::remove_all(in_the_way); };
}

INSTANTIATE_TEST_SUITE_P(
    Files, FailedPublishTest,
    ::testing::Values(FailingFile{"mode_000", make_unreadable, "zz/unreadable.bin", true},
                      FailingFile{"locked_by_a_writer", lock_as_a_writer, "zz/unreadable.bin"},
                      FailingFile{"no_room_for_an_archive", block_an_archive,
                                  "f5.dat.vdp.publish-tmp"}),
    [](const auto& named) { return named.param.what; });

TEST_F(PublishOverServedReleaseTest, ChecksumFindsAChangeWhoseDateTouchRestored) {
    publish_ok(dir / "server"); // the second release served
    // A change of the same size, its date put back as `touch -r` does.
    const auto file = dir / "game/system/jux.ini";
    const auto saved = dir.write("saved-time", "");
    ASSERT_EQ(run_process({"/usr/bin/touch", "-r", file.string(), saved.string()}).exit_code, 0);
    dir.write("game/system/jux.ini", "second release of system/jux.inX");
    ASSERT_EQ(run_process({"/usr/bin/touch", "-r", saved.string(), file.string()}).exit_code, 0);

    const auto quick =
        run_process({kPublish, "publish", (dir / "game").string(), (dir / "server").string()});
    EXPECT_THAT(quick.output, HasSubstr(" 0 packed,")) << quick.output;
    const auto thorough = run_process(
        {kPublish, "publish", (dir / "game").string(), (dir / "server").string(), "--checksum"});
    ASSERT_EQ(thorough.exit_code, 0) << thorough.output;
    EXPECT_THAT(thorough.output, HasSubstr(" 1 packed,"));
    EXPECT_EQ(ServedTreeProblem(dir / "server"), "");

    const auto installed = install("player");
    EXPECT_EQ(installed.exit_code, 0) << installed.output;
    EXPECT_EQ(platform::read_file_text(dir / "player/system/jux.ini"),
              "second release of system/jux.inX");
}

} // namespace
} // namespace launcher::testing
