// A publisher's whole signing round, with the real programs: keygen, publish
// --sign-key, verify, and a launcher packed with the public key updating
// from nginx.
#include "platform/file.h"
#include "platform/files.h"
#include "support/nginx_server.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "update/launcher_programs.h"
#include "update/release_signature.h"

#include <chrono>

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
                HasSubstr("release 1\n"));
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
    EXPECT_EQ(first.release, 1u);
    EXPECT_NEAR(static_cast<double>(first.expires - now), 2 * 24 * 3600.0, 3600.0);

    dir.write("game/data/b.pak", std::string(7001, 'b'));
    publish(dir / "game", out, {"--sign-key", secret.string()});
    const ReleaseSignature second = signature_in(out);
    EXPECT_EQ(second.release, 2u);
    EXPECT_NEAR(static_cast<double>(second.expires - now), 30 * 24 * 3600.0, 3600.0);

    // A publish that forgot the key would lock out every launcher that holds
    // it: refused, the signed release left as it was.
    dir.write("game/data/b.pak", std::string(7002, 'b'));
    const auto unsigned_publish =
        run_process({kPublish, "publish", (dir / "game").string(), out.string()});
    EXPECT_NE(unsigned_publish.exit_code, 0);
    EXPECT_THAT(unsigned_publish.output, HasSubstr("--sign-key"));
    EXPECT_EQ(signature_in(out).release, 2u);

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

} // namespace
} // namespace launcher::testing
