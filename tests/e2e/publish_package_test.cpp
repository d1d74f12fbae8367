#include "config/config_package.h"
#include "platform/files.h"
#include "publish/executable_package.h"
#include "support/process.h"
#include "support/temp_dir.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::run_process;
using testing::TempDir;

const std::string kCli = LAUNCHER_CLI;
const std::string kPublish = LAUNCHER_PUBLISH;
const std::filesystem::path kAssets = LAUNCHER_ASSETS;

constexpr std::string_view kCustomConfig = "[config]\r\n"
                                           "instance=Northern Realms\r\n"
                                           "trayhint=[ Realms ]\r\n"
                                           "usercan_changeproxy=TRUE\r\n"
                                           "[updateservers]\r\n"
                                           "url=http://10.1.1.1/game/\r\n"
                                           "url=http://10.1.1.2/game/\r\n"
                                           "[gameproxys]\r\n"
                                           "useproxy=true\r\n"
                                           "port=7000\r\n"
                                           "proxy=North|1.2.3.4|north.ini\r\n"
                                           "[lang=1031:Deutsch]\r\n"
                                           "3=Alles aktuell\r\n";

std::string package(const TempDir& dir, const std::filesystem::path& config_file) {
    // With the program's own ending (.exe on Windows), so that it starts.
    const auto output = dir / ("launcher" + std::filesystem::path(kCli).extension().string());
    const auto result =
        run_process({kPublish, "package", "--skin", (kAssets / "skin").string(), "--config",
                     config_file.string(), "--into", kCli, "--output", output.string()});
    EXPECT_EQ(result.exit_code, 0) << result.output;
    return output.string();
}

TEST(PublishPackageTest, TheBuiltCliStartsOnTheDefaultPackage) {
    const auto result = run_process({kCli, "config"});
    ASSERT_EQ(result.exit_code, 0) << result.output;
    EXPECT_NE(result.output.find("Instance title: AutoUpdater"), std::string::npos);
    EXPECT_NE(result.output.find("http://127.0.0.1:8080/"), std::string::npos);
    EXPECT_NE(result.output.find("1033 English"), std::string::npos);
    EXPECT_NE(result.output.find("1049 Русский"), std::string::npos);
    EXPECT_NE(result.output.find("BackGroundImage: image "), std::string::npos);
}

TEST(PublishPackageTest, PackagedConfigurationIsWhatTheLauncherShows) {
    TempDir dir;
    const auto launcher = package(dir, dir.write("game.cfg", kCustomConfig));
    const auto result = run_process({launcher, "config"});
    ASSERT_EQ(result.exit_code, 0) << result.output;
    for (const std::string_view expected :
         {"Instance title: Northern Realms\n", "Tray hint:  Realms \n",
          "  UserCan_ChangeProxy = true\n", "  default -> system\n",
          "  http://10.1.1.1/game/\n  http://10.1.1.2/game/\n",
          "Game proxies (UseProxy = true, Port = 7000):\n  North|1.2.3.4|north.ini\n",
          "  1031 Deutsch (1 lines)\n"})
        EXPECT_NE(result.output.find(expected), std::string::npos) << expected;
}

TEST(PublishPackageTest, UnpackThenPackageGivesAnIdenticalStream) {
    TempDir dir;
    const auto launcher = package(dir, dir.write("game.cfg", kCustomConfig));
    const auto unpacked =
        run_process({kPublish, "unpack", launcher, "--skin", (dir / "skin").string(), "--config",
                     (dir / "out.cfg").string()});
    ASSERT_EQ(unpacked.exit_code, 0) << unpacked.output;
    EXPECT_EQ(platform::read_file_text(dir / "out.cfg"), kCustomConfig);

    const auto repacked =
        run_process({kPublish, "package", "--skin", (dir / "skin").string(), "--config",
                     (dir / "out.cfg").string(), "--package-file", (dir / "package.bin").string()});
    ASSERT_EQ(repacked.exit_code, 0) << repacked.output;
    EXPECT_EQ(DecodeConfigPackage(platform::read_file(dir / "package.bin")),
              publish::ReadConfigStreamFromExecutable(launcher));
}

TEST(PublishPackageTest, RefusesWhatCannotBePackedAndWritesNothing) {
    TempDir dir;
    platform::Bytes noise(1700000);
    std::uint32_t state = 7;
    for (auto& byte : noise) {
        state = state * 1664525 + 1013904223;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    const auto big = dir.write("big.cfg", std::string(noise.begin(), noise.end()));
    const auto too_big =
        run_process({kPublish, "package", "--skin", (kAssets / "skin").string(), "--config",
                     big.string(), "--into", kCli, "--output", (dir / "out").string()});
    EXPECT_NE(too_big.exit_code, 0);
    EXPECT_NE(too_big.output.find("at most 1536000"), std::string::npos) << too_big.output;
    EXPECT_FALSE(std::filesystem::exists(dir / "out"));

    const auto not_a_launcher =
        run_process({kPublish, "package", "--skin", (kAssets / "skin").string(), "--config",
                     (kAssets / "config.txt").string(), "--into", "/bin/true", "--output",
                     (dir / "out").string()});
    EXPECT_NE(not_a_launcher.exit_code, 0);
    EXPECT_NE(not_a_launcher.output.find("no embedded data block"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "out"));
}

TEST(PublishPackageTest, ALauncherWithoutAPackageSaysSo) {
    TempDir dir;
    publish::WritePackageIntoExecutable({}, kCli, dir / "empty-launcher");
    const auto result = run_process({(dir / "empty-launcher").string(), "config"});
    EXPECT_NE(result.exit_code, 0);
    EXPECT_NE(result.output.find("Sorry! Not found the config"), std::string::npos);
}

TEST(PublishPackageTest, DebugModeWritesTheLogAndThePayloadIntoTheCurrentFolder) {
    TempDir dir;
    const auto launcher = package(dir, kAssets / "config.txt");
    std::filesystem::create_directory(dir / "cwd");
    const auto result = run_process({launcher, "config", "--debug"}, dir / "cwd");
    ASSERT_EQ(result.exit_code, 0) << result.output;
    const std::string log = platform::read_file_text(dir / "cwd" / "log.err");
    // The program's version line, then the start-up's own lines.
    EXPECT_EQ(log.rfind("launcher-cli ", 0), 0u) << log;
    const std::string startup = log.substr(log.find("\r\n") + 2);
    EXPECT_EQ(startup.rfind("config created\r\n  try load config\r\n"
                            "  read config from memory.. config size: ",
                            0),
              0u)
        << log;
    const auto block = publish::ReadConfigStreamFromExecutable(launcher); // decodes fine
    EXPECT_FALSE(block.empty());
    const auto pack = platform::read_file(dir / "cwd" / "config.pack");
    EXPECT_NE(log.find(std::to_string(pack.size()) + "\r\n"), std::string::npos);

    const auto quiet = run_process({launcher, "config"}, dir / "cwd" / "..");
    EXPECT_FALSE(std::filesystem::exists(dir / "log.err"));
}

} // namespace
} // namespace launcher
