#include "launch/game_start.h"
#include "platform/files.h"
#include "platform/own_process.h"
#include "platform/utf8_path.h"
#include "support/process.h"
#include "support/temp_dir.h"

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::TempDir;

class RecordingStarter final : public platform::ProcessStarter {
public:
    std::string start(const std::filesystem::path& started_program,
                      const std::vector<std::string>& started_arguments,
                      const std::filesystem::path& started_in) override {
        program = started_program;
        arguments = started_arguments;
        working_dir = started_in;
        return {};
    }
    std::filesystem::path program;
    std::vector<std::string> arguments;
    std::filesystem::path working_dir;
};

class GameStartTest : public ::testing::Test {
protected:
    GameStartTest() {
        dir.write("system_fr/jux.ini", "original");
        dir.write("system_fr/proxy1.ini", "proxy one");
        request.MainPath = dir.path();
        request.language_folder_list = "default;system|fr;system_fr";
        request.LangFolder = "fr";
    }
    std::string client_settings() const {
        return platform::read_file_text(dir / "system_fr/jux.ini");
    }

    TempDir dir;
    GameStartRequest request;
    RecordingStarter starter;
};

TEST_F(GameStartTest, ChosenProxyFileReplacesTheClientSettings) {
    request.UseProxy = true;
    request.ProxyLine = "main|proxy host|proxy1.ini";
    const auto result = StartGameClient(request, starter);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(client_settings(), "proxy one");
    EXPECT_EQ(starter.program, dir / "system_fr" / "jux.exe");
    EXPECT_EQ(starter.arguments, (std::vector<std::string>{"proxy1.ini"}));
    EXPECT_EQ(starter.working_dir, dir / "system_fr");
}

TEST_F(GameStartTest, MissingProxyFileKeepsTheSettingsButPassesItsName) {
    request.UseProxy = true;
    request.ProxyLine = "main|host|absent.ini";
    StartGameClient(request, starter);
    EXPECT_EQ(client_settings(), "original");
    EXPECT_EQ(starter.arguments, (std::vector<std::string>{"absent.ini"}));
}

TEST_F(GameStartTest, NoProxyChosenOrProxiesOffLeaveTheSettingsAlone) {
    request.UseProxy = true;
    request.ProxyLine = "";
    StartGameClient(request, starter);
    EXPECT_TRUE(starter.arguments.empty());

    request.UseProxy = false;
    request.ProxyLine = "main|host|proxy1.ini";
    StartGameClient(request, starter);
    EXPECT_TRUE(starter.arguments.empty());
    EXPECT_EQ(client_settings(), "original");
}

// A game client stand-in that records its arguments and working folder.
std::filesystem::path write_recording_client(const TempDir& dir, const std::string& folder) {
    const auto client =
        dir.write(folder + "/jux.exe", "#!/bin/sh\n"
                                       "printf '%s|%s|%s' \"$PWD\" \"$#\" \"$*\" > record.tmp\n"
                                       "mv record.tmp record\n");
    std::filesystem::permissions(client, std::filesystem::perms::owner_all);
    return client;
}

std::string wait_for_file(const std::filesystem::path& path) {
    for (int i = 0; i < 500 && !std::filesystem::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return std::filesystem::exists(path) ? platform::read_file_text(path) : "(never written)";
}

// The stand-in client program in place of jux.exe.
void install_recording_program(const TempDir& dir, const std::string& folder) {
    std::filesystem::copy_file(RECORDING_CLIENT, dir / folder / "jux.exe",
                               std::filesystem::copy_options::overwrite_existing);
}

std::string canonical_text(const std::filesystem::path& path) {
    return platform::utf8_of(std::filesystem::canonical(path));
}

TEST_F(GameStartTest, TheRealStarterRunsAProgramDetachedInItsFolder) {
    install_recording_program(dir, "system_fr");
    request.UseProxy = true;
    request.ProxyLine = "main|host|proxy 1.ini";
    dir.write("system_fr/proxy 1.ini", "proxy one");
    platform::DetachedProcessStarter real;
    const auto result = StartGameClient(request, real);
    EXPECT_EQ(result.error, "");
    // The blank in the parameter stays inside the one argument.
    EXPECT_EQ(wait_for_file(dir / "system_fr/record"),
              canonical_text(dir / "system_fr") + "|1|proxy 1.ini");
}

TEST_F(GameStartTest, AnElevatedStartRunsTheClientThroughTheShell) {
    // ShellExecuteExW with "runas" on Windows (wine grants it without a
    // prompt); elsewhere the same start as the user's.
    install_recording_program(dir, "system_fr");
    request.UseProxy = true;
    request.ProxyLine = "main|host|proxy1.ini";
    platform::DetachedProcessStarter elevated(platform::Elevation::Elevated);
    const auto result = StartGameClient(request, elevated);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(wait_for_file(dir / "system_fr/record"),
              canonical_text(dir / "system_fr") + "|1|proxy1.ini");
}

TEST(ReplaceProcessTest, TheNewProgramTakesOverStreamsAndExitStatus) {
    const auto result =
        testing::run_process({RECORDING_CLIENT, "--replace", RECORDING_CLIENT, "--exit", "7"});
    EXPECT_EQ(result.exit_code, 7);
    EXPECT_EQ(result.output.find("exiting"), 0u) << result.output;
}

TEST_F(GameStartTest, TheRealStarterRunsTheClientDetachedInItsFolder) {
#ifdef _WIN32
    GTEST_SKIP() << "the stand-in is a shell script, a POSIX program";
#endif
    write_recording_client(dir, "system_fr");
    request.UseProxy = true;
    request.ProxyLine = "main|host|proxy1.ini";
    platform::DetachedProcessStarter real;
    const auto result = StartGameClient(request, real);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(wait_for_file(dir / "system_fr/record"),
              canonical_text(dir / "system_fr") + "|1|proxy1.ini");
}

TEST_F(GameStartTest, AScriptWithoutExecutePermissionRunsThroughItsInterpreter) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no execute permission bits and no script interpreters here";
#endif
    // Files extracted from update archives carry no permission bits.
    const auto client = write_recording_client(dir, "system_fr");
    std::filesystem::permissions(client, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_write);
    platform::DetachedProcessStarter real;
    const auto result = StartGameClient(request, real);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(wait_for_file(dir / "system_fr/record"), canonical_text(dir / "system_fr") + "|0|");
}

TEST_F(GameStartTest, AClientThatCannotRunIsReported) {
    platform::DetachedProcessStarter real;
    EXPECT_NE(StartGameClient(request, real).error.find("does not exist"), std::string::npos);

    dir.write("system_fr/jux.exe", "MZ\x90\x00 a Windows program");
    const auto result = StartGameClient(request, real);
#ifdef _WIN32
    EXPECT_EQ(result.error.rfind("Cannot start ", 0), 0u) << result.error; // no program at all
#else
    if (platform::find_on_path("wine").empty()) {
        EXPECT_NE(result.error.find("wine is not installed"), std::string::npos) << result.error;
    }
#endif
}

} // namespace
} // namespace launcher
