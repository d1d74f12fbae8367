// A publisher's whole signing round, with the real programs: keygen, publish
// --sign-key, verify, and a launcher packed with the public key updating
// from nginx.
#include "platform/file.h"
#include "platform/files.h"
#include "support/nginx_server.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "update/launcher_programs.h"
#include "update/published_game.h"
#include "update/release_signature.h"

#include <chrono>
#include <limits>
#include <map>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

using ::testing::HasSubstr;

std::string public_key_line(const std::string& keygen_output) {
    const std::size_t at = keygen_output.find("publickey=");
    return keygen_output.substr(at, keygen_output.find('\n', at) - at);
}

TEST(CliSignedReleaseTest, KeygenPublishVerifyAndASignedLauncherUpdates) {
    if (!NginxServer::Available())
        GTEST_SKIP() << "nginx is not installed";
    TempDir dir;
    const auto secret = dir / "release.key";
    const auto pub = dir / "release.pub";
    const auto keygen = run_process(
        {kPublish, "keygen", "--secret-key", secret.string(), "--public-key", pub.string()});
    ASSERT_EQ(keygen.exit_code, 0) << keygen.output;
    EXPECT_EQ(std::filesystem::status(secret).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_NE(run_process({kPublish, "keygen", "--secret-key", secret.string(), "--public-key",
                           pub.string()})
                  .exit_code,
              0)
        << "an existing key is never replaced without --force";

    dir.write("game/system/jux.ini", "[client]\r\n");
    dir.write("game/data/a.pak", std::string(200000, 'a'));
    publish(dir / "game", dir / "srv", {"--sign-key", secret.string()});
    EXPECT_THAT(platform::read_file_text(dir / "srv" / "updater.lst.vdp.sig"),
                HasSubstr("release 1\nchannel main\n"));
    const auto verified =
        run_process({kPublish, "verify", (dir / "srv").string(), "--public-key", pub.string()});
    EXPECT_EQ(verified.exit_code, 0) << verified.output;

    NginxServer nginx(dir / "srv");
    ASSERT_TRUE(nginx.running());
    std::string config = config_text({nginx.url("/")});
    config.replace(config.find("[updateservers]\r\n"), 17,
                   "[updateservers]\r\n" + public_key_line(keygen.output) + "\r\n");
    const auto launcher = pack_launcher_with_config(dir, dir / "bin" / "launcher", config);
    const auto installed = dir / "installed";
    const auto update = run_process({launcher.string(), "update", "--folder", installed.string()});
    ASSERT_EQ(update.exit_code, 0) << update.output;
    EXPECT_EQ(game_files(installed), game_files(dir / "game"));

    // A release changed on the server without the key: refused, nothing touched.
    dir.write("game/system/jux.ini", "[client]\r\nserver=evil\r\n");
    publish(dir / "game", dir / "evil");
    std::filesystem::copy_file(dir / "evil" / "updater.lst.vdp", dir / "srv" / "updater.lst.vdp",
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(dir / "evil" / "system" / "jux.ini.vdp",
                               dir / "srv" / "system" / "jux.ini.vdp",
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_NE(
        run_process({kPublish, "verify", (dir / "srv").string(), "--public-key", pub.string()})
            .exit_code,
        0);
    std::filesystem::remove(installed / "system" / "jux.ini");
    const auto refused = run_process({launcher.string(), "update", "--folder", installed.string()});
    EXPECT_EQ(refused.exit_code, 4) << refused.output;
    EXPECT_THAT(refused.output, HasSubstr("not the one the publisher signed"));
    EXPECT_FALSE(std::filesystem::exists(installed / "system" / "jux.ini"));
}

ReleaseSignature signature_in(const std::filesystem::path& out) {
    std::string error;
    auto parsed =
        ParseReleaseSignature(platform::read_file_text(out / "updater.lst.vdp.sig"), error);
    EXPECT_TRUE(parsed) << error;
    return parsed.value_or(ReleaseSignature{});
}

TEST(CliSignedReleaseTest, ReleasesCountUpExpireWhenAskedAndVerifyFindsAChangedArchive) {
    TempDir dir;
    const auto secret = dir / "release.key";
    const auto pub = dir / "release.pub";
    const std::vector<std::string> keygen{kPublish,        "keygen",       "--secret-key",
                                          secret.string(), "--public-key", pub.string()};
    ASSERT_EQ(run_process(keygen).exit_code, 0);
    const std::string first_key = platform::read_file_text(pub);
    std::vector<std::string> forced = keygen;
    forced.push_back("--force");
    ASSERT_EQ(run_process(forced).exit_code, 0);
    EXPECT_NE(platform::read_file_text(pub), first_key) << "--force makes a new pair";

    dir.write("game/data/a.pak", std::string(5000, 'a'));
    dir.write("game/data/b.pak", std::string(7000, 'b'));
    const auto out = dir / "srv";
    publish(dir / "game", out, {"--sign-key", secret.string(), "--expires", "2"});
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    const ReleaseSignature first = signature_in(out);
    EXPECT_EQ(first.terms.release, 1u);
    EXPECT_NEAR(static_cast<double>(first.terms.expires - now), 2 * 24 * 3600.0, 3600.0);
    EXPECT_NEAR(static_cast<double>(first.terms.signed_at - now), 0.0, 3600.0);

    dir.write("game/data/b.pak", std::string(7001, 'b'));
    publish(dir / "game", out, {"--sign-key", secret.string()});
    const ReleaseSignature second = signature_in(out);
    EXPECT_EQ(second.terms.release, 2u);
    EXPECT_NEAR(static_cast<double>(second.terms.expires - now), 30 * 24 * 3600.0, 3600.0);

    // A publish that forgot the key would lock out every launcher that holds
    // it: refused, the signed release left as it was.
    dir.write("game/data/b.pak", std::string(7002, 'b'));
    const auto unsigned_publish =
        run_process({kPublish, "publish", (dir / "game").string(), out.string()});
    EXPECT_NE(unsigned_publish.exit_code, 0);
    EXPECT_THAT(unsigned_publish.output, HasSubstr("--sign-key"));
    EXPECT_EQ(signature_in(out).terms.release, 2u);

    // The list and its signature still match; one archive behind them does not.
    const auto verify =
        std::vector<std::string>{kPublish, "verify", out.string(), "--public-key", pub.string()};
    ASSERT_EQ(run_process(verify).exit_code, 0);
    {
        platform::File archive(out / "data" / "a.pak.vdp", platform::File::Mode::ReadWrite);
        archive.write_at(archive.size() - 1, "x", 1);
    }
    const auto found = run_process(verify);
    EXPECT_NE(found.exit_code, 0);
    EXPECT_THAT(found.output, HasSubstr("a.pak.vdp differs from the signed file list"));
}

// Every file below a folder with the MD5 of its bytes, the updater folder
// included.
std::map<std::string, std::string> snapshot(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(folder).generic_string()] =
                Md5Of(platform::read_file_text(entry.path()));
    return files;
}

std::map<std::string, std::string> digests(const std::map<std::string, std::string>& files) {
    std::map<std::string, std::string> result;
    for (const auto& [name, content] : files)
        result[name] = Md5Of(content);
    return result;
}

struct Keys {
    std::filesystem::path secret;
    std::filesystem::path pub;
    std::string line; // the publickey= line for the configuration
};

Keys make_keys(const TempDir& dir, const std::string& name) {
    Keys keys{dir / (name + ".key"), dir / (name + ".pub"), {}};
    const auto made = run_process({kPublish, "keygen", "--secret-key", keys.secret.string(),
                                   "--public-key", keys.pub.string()});
    EXPECT_EQ(made.exit_code, 0) << made.output;
    keys.line = public_key_line(made.output);
    return keys;
}

// The test launcher's configuration with these lines in [updateservers].
std::string config_with(const std::vector<std::string>& servers,
                        const std::vector<std::string>& lines) {
    std::string config = config_text(servers);
    std::string extra;
    for (const std::string& line : lines)
        extra += line + "\r\n";
    config.replace(config.find("[updateservers]\r\n"), 17, "[updateservers]\r\n" + extra);
    return config;
}

std::string config_with(const std::string& server, const std::vector<std::string>& lines) {
    return config_with(std::vector<std::string>{server}, lines);
}

std::string key_id_of(const Keys& keys) {
    return KeyId(*ParsePublicKey(keys.line.substr(std::string_view("publickey=").size())));
}

TEST(CliSignedReleaseTest, AReleaseForAnotherChannelIsRefusedEndToEnd) {
    if (!NginxServer::Available())
        GTEST_SKIP() << "nginx is not installed";
    TempDir dir;
    const Keys keys = make_keys(dir, "release");
    dir.write("game/system/jux.ini", "[client]\r\n");
    dir.write("game/data/a.pak", std::string(3000, 'a'));
    publish(dir / "game", dir / "srv", {"--sign-key", keys.secret.string(), "--channel", "beta"});
    NginxServer nginx(dir / "srv");
    ASSERT_TRUE(nginx.running());

    const auto main_launcher = pack_launcher_with_config(dir, dir / "main" / "launcher",
                                                         config_with(nginx.url("/"), {keys.line}));
    const auto beta_launcher = pack_launcher_with_config(
        dir, dir / "beta" / "launcher", config_with(nginx.url("/"), {keys.line, "channel=beta"}));

    const auto shown = run_process({beta_launcher.string(), "config"});
    EXPECT_THAT(shown.output, HasSubstr("Release keys (oldest first):\n  " + key_id_of(keys)));
    EXPECT_THAT(shown.output, HasSubstr("Release channel: beta"));
    EXPECT_THAT(run_process({main_launcher.string(), "config"}).output,
                HasSubstr("Release channel: main (not configured)"));

    // The first run writes the player's settings, nothing else; the second
    // leaves the folder as it was.
    for (int run = 0; run < 2; ++run) {
        const auto before = snapshot(dir / "main");
        const auto refused = run_process({main_launcher.string(), "update"});
        EXPECT_EQ(refused.exit_code, 4) << refused.output;
        EXPECT_THAT(refused.output, HasSubstr("is for channel beta, this launcher is on main"));
        auto expected = before;
        // The run's own settings and the lock of one run per folder.
        for (const char* own : {"updater/Vantoria.ini", "updater/launcher.lock"})
            expected.try_emplace(own, snapshot(dir / "main")[own]);
        EXPECT_EQ(snapshot(dir / "main"), expected);
        if (run == 1)
            EXPECT_EQ(snapshot(dir / "main"), before);
    }

    const auto taken = run_process({beta_launcher.string(), "update"});
    EXPECT_EQ(taken.exit_code, 0) << taken.output;
    auto expected = game_files(dir / "game");
    expected["launcher"] = platform::read_file_text(beta_launcher);
    EXPECT_EQ(digests(game_files(dir / "beta")), digests(expected));

    // The next publish keeps the channel unless told otherwise.
    dir.write("game/data/a.pak", std::string(3001, 'a'));
    publish(dir / "game", dir / "srv", {"--sign-key", keys.secret.string()});
    EXPECT_THAT(platform::read_file_text(dir / "srv" / "updater.lst.vdp.sig"),
                HasSubstr("channel beta\n"));
}

// A mirror whose release is refused does not end the run: the next server's
// is taken, and the refused one is named with its reason on standard error
// and in the event stream; when no server's release is taken, every refused
// server is named and the run ends with exit 4.
TEST(CliSignedReleaseTest, EachRefusedServerIsNamedWithItsReason) {
    if (!NginxServer::Available())
        GTEST_SKIP() << "nginx is not installed";
    TempDir dir;
    const Keys publisher = make_keys(dir, "publisher");
    const Keys stranger = make_keys(dir, "stranger");
    dir.write("game/system/jux.ini", "[client]\r\n");
    dir.write("game/data/a.pak", std::string(3000, 'a'));
    publish(dir / "game", dir / "mirror", {"--sign-key", stranger.secret.string()});
    publish(dir / "game", dir / "origin", {"--sign-key", publisher.secret.string()});
    NginxServer mirror(dir / "mirror");
    NginxServer origin(dir / "origin");
    ASSERT_TRUE(mirror.running());
    ASSERT_TRUE(origin.running());
    const std::vector<std::string> servers = {mirror.url("/"), origin.url("/")};
    const std::string unknown_key = ": it is signed by a key this launcher does not know";

    const auto taken_launcher = pack_launcher_with_config(dir, dir / "taken" / "launcher",
                                                          config_with(servers, {publisher.line}));
    const auto taken = run_process({taken_launcher.string(), "update", "--json"}, dir / "taken");
    EXPECT_EQ(taken.exit_code, 0) << taken.output;
    EXPECT_THAT(taken.errors,
                HasSubstr("! Refused the release of " + mirror.url("/") + unknown_key));
    EXPECT_THAT(taken.errors, ::testing::Not(HasSubstr("release of " + origin.url("/"))));
    EXPECT_THAT(taken.output, HasSubstr(R"({"event":"release_refused","reason":")"));
    EXPECT_THAT(taken.output, HasSubstr(R"(","server":")" + mirror.url("/") + "\"}"));
    EXPECT_EQ(digests(game_files(dir / "taken")).count("data/a.pak"), 1u);

    const Keys neither = make_keys(dir, "neither");
    const auto refused_launcher = pack_launcher_with_config(dir, dir / "refused" / "launcher",
                                                            config_with(servers, {neither.line}));
    const auto refused = run_process({refused_launcher.string(), "update"}, dir / "refused");
    EXPECT_EQ(refused.exit_code, 4) << refused.output;
    for (const std::string& server : servers)
        EXPECT_THAT(refused.errors, HasSubstr("! Refused the release of " + server + unknown_key))
            << refused.output;
    EXPECT_FALSE(std::filesystem::exists(dir / "refused" / "data"));
}

// The rotation procedure of the README, followed across three releases: the
// second carries a launcher that knows both keys, signed by both; once it
// accepted a release signed by the new key, the old key alone no longer
// counts; the third, signed by the new key alone, carries a launcher that
// knows only the new key.
TEST(CliSignedReleaseTest, KeyRotationAcrossThreeReleasesWithASelfUpdate) {
    if (!NginxServer::Available())
        GTEST_SKIP() << "nginx is not installed";
    TempDir dir;
    const Keys old_key = make_keys(dir, "old");
    const Keys new_key = make_keys(dir, "new");
    const auto srv = dir / "srv";
    std::filesystem::create_directories(srv);
    NginxServer nginx(srv);
    ASSERT_TRUE(nginx.running());
    const std::string url = nginx.url("/");
    const auto release = [&](const std::string& content, const std::vector<std::string>& keys,
                             const std::vector<const Keys*> signers, const std::string& tray) {
        dir.write("game/data/a.pak", content);
        std::string config = config_with(url, keys);
        config.replace(config.find("trayhint=Test"), 13, "trayhint=" + tray);
        pack_launcher_with_config(dir, dir / "game" / "gamelauncher", config);
        std::vector<std::string> options{"--check", "gamelauncher", "--check", "data\\a.pak"};
        for (const Keys* signer : signers) {
            options.push_back("--sign-key");
            options.push_back(signer->secret.string());
        }
        publish(dir / "game", srv, options);
        NginxServer::OpenForReading(srv);
    };
    const auto installed = dir / "installed";
    const auto update = [&] {
        return run_process({(installed / "gamelauncher").string(), "update"});
    };
    const auto record = [&] {
        return platform::read_file_text(installed / "updater" / "Release.lst");
    };

    // 1: signed by the old key; the installed launcher knows only it.
    release("one", {old_key.line}, {&old_key}, "One");
    std::filesystem::create_directories(installed);
    std::filesystem::copy_file(dir / "game" / "gamelauncher", installed / "gamelauncher");
    const auto first = update();
    ASSERT_EQ(first.exit_code, 0) << first.output;
    EXPECT_EQ(digests(game_files(installed)), digests(game_files(dir / "game")));
    EXPECT_EQ(record(), "1\r\nkey " + key_id_of(old_key) + "\r\nformat 2\r\n");

    // 2: signed by both, carrying a launcher that knows both (new key last).
    release("two2", {old_key.line, new_key.line}, {&old_key, &new_key}, "Two");
    const auto second = update();
    ASSERT_EQ(second.exit_code, 0) << second.output;
    EXPECT_THAT(second.output, HasSubstr("Restarting the updated launcher"));
    EXPECT_EQ(digests(game_files(installed)), digests(game_files(dir / "game")));
    EXPECT_EQ(record(), "2\r\nkey " + key_id_of(new_key) + "\r\nformat 2\r\n")
        << "the restarted launcher checked release 2 with the new key";

    // The old key (say it leaked) signs release 3 alone: refused.
    std::filesystem::copy(srv, dir / "kept", std::filesystem::copy_options::recursive);
    dir.write("game/data/a.pak", "evil content");
    publish(dir / "game", srv, {"--sign-key", old_key.secret.string(), "--check", "data\\a.pak"});
    NginxServer::OpenForReading(srv);
    const auto before = snapshot(installed);
    const auto refused = update();
    EXPECT_EQ(refused.exit_code, 4) << refused.output;
    EXPECT_THAT(refused.output,
                HasSubstr("signed only by keys older than key " + key_id_of(new_key)));
    EXPECT_EQ(snapshot(installed), before);
    std::filesystem::remove_all(srv / "data");
    std::filesystem::copy(dir / "kept", srv,
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);

    // 3: the old key retired, signed by the new key alone.
    release("three33", {new_key.line}, {&new_key}, "Three");
    const auto third = update();
    ASSERT_EQ(third.exit_code, 0) << third.output;
    EXPECT_EQ(digests(game_files(installed)), digests(game_files(dir / "game")));
    EXPECT_EQ(record(), "3\r\nkey " + key_id_of(new_key) + "\r\nformat 2\r\n");
}

// A signed publish trusts nothing of the served tree that its key did not
// sign: a changed catalogue line and archive are packed again from the game
// folder, a forged release number is not followed, and the number never wraps.
TEST(CliSignedReleaseTest, ASignedPublishTrustsOnlyWhatItsKeySigned) {
    TempDir dir;
    const Keys keys = make_keys(dir, "release");
    const auto out = dir / "srv";
    dir.write("game/system/jux.exe", "the real client");
    dir.write("game/data/a.pak", std::string(4000, 'a'));
    publish(dir / "game", out, {"--sign-key", keys.secret.string()});
    const std::vector<std::string> verify{kPublish, "verify", out.string(), "--public-key",
                                          keys.pub.string()};

    // Someone with write access to the served folder plants a client.
    dir.write("evil/system/jux.exe", "the evil client");
    dir.write("evil/data/a.pak", std::string(4000, 'a'));
    publish(dir / "evil", dir / "evil-srv");
    for (const char* name : {"updater.lst", "updater.lst.vdp", "system/jux.exe.vdp"})
        std::filesystem::copy_file(dir / "evil-srv" / name, out / name,
                                   std::filesystem::copy_options::overwrite_existing);
    const auto routine = run_process({kPublish, "publish", (dir / "game").string(), out.string(),
                                      "--sign-key", keys.secret.string()});
    ASSERT_EQ(routine.exit_code, 0) << routine.output;
    EXPECT_THAT(routine.output, HasSubstr("The served release does not verify"));
    EXPECT_THAT(routine.output, HasSubstr("every file was packed again from the game folder"));
    EXPECT_EQ(run_process(verify).exit_code, 0);
    EXPECT_EQ(signature_in(out).terms.release, 2u);
    EXPECT_THAT(platform::read_file_text(out / "updater.lst"),
                HasSubstr(Md5Of("the real client") + "|\\system\\jux.exe|"));

    // A signature file the key did not make names no release number.
    const KeyPair stranger = GenerateKeyPair();
    const platform::Bytes packed = platform::read_file(out / "updater.lst.vdp");
    const auto forge = [&](std::uint64_t number, const SecretKey& key) {
        const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                                     std::chrono::system_clock::now().time_since_epoch())
                                     .count();
        platform::write_file_atomic(
            out / "updater.lst.vdp.sig",
            SignRelease(packed, ReleaseTerms{number, "main", now, now + 24 * 3600}, {key}));
    };
    forge(std::numeric_limits<std::uint64_t>::max(), stranger.secret_key);
    const std::vector<std::string> again{kPublish,     "publish",    (dir / "game").string(),
                                         out.string(), "--sign-key", keys.secret.string()};
    const auto forged = run_process(again);
    EXPECT_NE(forged.exit_code, 0);
    EXPECT_THAT(forged.output, HasSubstr("--release N"));
    std::vector<std::string> numbered = again;
    numbered.insert(numbered.end(), {"--release", "7"});
    ASSERT_EQ(run_process(numbered).exit_code, 0);
    EXPECT_EQ(signature_in(out).terms.release, 7u);

    // The publisher's own highest number has no successor.
    const SecretKey secret = *ParseSecretKey(platform::read_file_text(keys.secret).substr(0, 200));
    forge(std::numeric_limits<std::uint64_t>::max(), secret);
    const auto wrapped = run_process(again);
    EXPECT_NE(wrapped.exit_code, 0);
    EXPECT_THAT(wrapped.output, HasSubstr("no release can follow it"));
    EXPECT_EQ(signature_in(out).terms.release, std::numeric_limits<std::uint64_t>::max());
}

TEST(CliSignedReleaseTest, PublishAndKeygenRefuseWhatWouldLockPlayersOutOrLoseAKey) {
    TempDir dir;
    const Keys keys = make_keys(dir, "release");
    dir.write("game/data/a.pak", "a");
    const struct {
        std::vector<std::string> arguments;
        const char* says;
    } cases[] = {
        {{kPublish, "publish", (dir / "game").string(), (dir / "srv").string(), "--sign-key",
          keys.secret.string(), "--expires", "91"},
         "not between 1 and 90 days"},
        {{kPublish, "publish", (dir / "game").string(), (dir / "srv").string(), "--sign-key",
          keys.secret.string(), "--channel", "two words"},
         "not a channel name"},
        {{kPublish, "keygen", "--secret-key", (dir / "same.key").string(), "--public-key",
          (dir / "same.key").string()},
         "cannot go to the same file"},
        {{kPublish, "keygen", "--secret-key", (dir / "release.key").string(), "--public-key",
          (dir / "." / "release.key").string(), "--force"},
         "cannot go to the same file"},
    };
    for (const auto& c : cases) {
        const auto before = snapshot(dir.path());
        const auto result = run_process(c.arguments);
        EXPECT_NE(result.exit_code, 0) << c.says;
        EXPECT_THAT(result.output, HasSubstr(c.says));
        EXPECT_EQ(snapshot(dir.path()), before) << c.says;
    }
    publish(dir / "game", dir / "srv",
            {"--sign-key", keys.secret.string(), "--expires", "90", "--channel", "live.eu-1"});
    EXPECT_THAT(platform::read_file_text(dir / "srv" / "updater.lst.vdp.sig"),
                HasSubstr("channel live.eu-1\n"));
}

// Key lines with a typo are warned when the launcher is packed, refused with
// --strict, and named in the debug log.
TEST(CliSignedReleaseTest, MistypedKeyLinesAreWarnedAtPackageTime) {
    TempDir dir;
    const Keys keys = make_keys(dir, "release");
    const std::string value = keys.line.substr(std::string_view("publickey=").size());
    const struct {
        std::string line;
        const char* warning;
    } cases[] = {
        {"publickeys=" + value, "unknown key publickeys in [updateservers]; ignored (did you "
                                "mean publickey in [updateservers]?)"},
        {"publickey:" + value, "\"publickey:\" in [updateservers] has ':' where '=' belongs"},
        {"publickey=ed25519:AAAA", "is not a public key written by keygen"},
        {"chanel=beta", "did you mean channel in [updateservers]?"},
    };
    for (const auto& c : cases) {
        const auto config = dir.write("launcher.cfg", config_with("http://127.0.0.1:1/", {c.line}));
        const std::vector<std::string> package{
            kPublish,         "package",
            "--skin",         (std::filesystem::path(LAUNCHER_ASSETS) / "skin").string(),
            "--config",       config.string(),
            "--package-file", (dir / "package.bin").string()};
        const auto warned = run_process(package);
        EXPECT_EQ(warned.exit_code, 0) << warned.output;
        EXPECT_THAT(warned.output, HasSubstr(c.warning)) << c.line;
        std::vector<std::string> strict = package;
        strict.push_back("--strict");
        std::filesystem::remove(dir / "package.bin");
        const auto refused = run_process(strict);
        EXPECT_NE(refused.exit_code, 0) << c.line;
        EXPECT_FALSE(std::filesystem::exists(dir / "package.bin")) << c.line;
    }
    // The line in another section.
    std::string config = config_text({"http://127.0.0.1:1/"});
    config.replace(config.find("[updateservers]"), 0, keys.line + "\r\n");
    const auto launcher = pack_launcher_with_config(dir, dir / "bin" / "launcher", config);
    const auto shown = run_process({launcher.string(), "config", "--debug"}, dir.path());
    EXPECT_THAT(shown.output, HasSubstr("Release keys: none"));
    EXPECT_THAT(platform::read_file_text(dir / "log.err"),
                HasSubstr("publickey belongs in [updateservers], not [config]; ignored here"));
}

} // namespace
} // namespace launcher::testing
