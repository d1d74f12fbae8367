// A publisher's whole signing round, with the real programs: keygen, publish
// --sign-key, verify, and a launcher packed with the public key updating
// from nginx.
#include "platform/files.h"
#include "support/nginx_server.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "update/launcher_programs.h"

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

} // namespace
} // namespace launcher::testing
