#include "update/launcher_programs.h"

#include "platform/files.h"
#include "platform/process_start.h"
#include "support/process.h"

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

const std::filesystem::path kAssets = LAUNCHER_ASSETS;

// The launcher-cli executable to pack: a copy without debug information
// where strip is at hand, a fraction of the size, so that releases carrying
// a launcher are published, fetched and hashed quickly.
const std::string& packable_cli() {
    static const TempDir folder;
    static const std::string path = [] {
        const std::filesystem::path strip = platform::find_on_path("strip");
        const auto stripped = folder / "launcher-cli";
        if (strip.empty() ||
            run_process({strip.string(), "-o", stripped.string(), kCli}).exit_code != 0)
            return kCli;
        return stripped.string();
    }();
    return path;
}

} // namespace

const std::string kCli = LAUNCHER_CLI;
const std::string kPublish = LAUNCHER_PUBLISH;

std::string config_text(const std::vector<std::string>& servers, const std::string& tray,
                        bool use_ping) {
    std::string text = "[config]\r\ninstance=Update test\r\ntrayhint=" + tray +
                       "\r\nusercan_changecheckmethod=true\r\nusercan_changedrivetype=true\r\n"
                       "[updateservers]\r\n";
    if (use_ping)
        text += "useping=true\r\n";
    for (const std::string& server : servers)
        text += "url=" + server + "\r\n";
    return text + "[lang=1033:English]\r\n1=[Unpacking ]\r\n2=[Checking ]\r\n3=All files are up "
                  "to date\r\n4=[Updating ]\r\n5=Update complete\r\n6=All files checked\r\n"
                  "7=Downloading the file list\r\n15=No update server\r\n24=[Total: ]\r\n";
}

std::filesystem::path pack_launcher(const TempDir& scratch, const std::filesystem::path& output,
                                    const std::string& server, const std::string& tray) {
    return pack_launcher(scratch, output, std::vector<std::string>{server}, tray, false);
}

std::filesystem::path pack_launcher(const TempDir& scratch, const std::filesystem::path& output,
                                    const std::vector<std::string>& servers,
                                    const std::string& tray, bool use_ping) {
    return pack_launcher_with_config(scratch, output, config_text(servers, tray, use_ping));
}

std::filesystem::path pack_launcher_with_config(const TempDir& scratch,
                                                const std::filesystem::path& output,
                                                const std::string& text) {
    const auto config = scratch.write(output.filename().string() + ".cfg", text);
    std::filesystem::create_directories(output.parent_path());
    const auto result =
        run_process({kPublish, "package", "--skin", (kAssets / "skin").string(), "--config",
                     config.string(), "--into", packable_cli(), "--output", output.string()});
    EXPECT_EQ(result.exit_code, 0) << result.output;
    return output;
}

void publish(const std::filesystem::path& game, const std::filesystem::path& out,
             const std::vector<std::string>& extra) {
    std::vector<std::string> arguments{kPublish, "publish", game.string(), out.string()};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    const auto result = run_process(arguments);
    ASSERT_EQ(result.exit_code, 0) << result.output;
}

std::map<std::string, std::string> game_files(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    if (!std::filesystem::exists(folder))
        return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string relative = entry.path().lexically_relative(folder).generic_string();
        if (!entry.is_regular_file() || relative.starts_with("updater/") ||
            entry.path().filename().string().starts_with("."))
            continue;
        files[relative] = platform::read_file_text(entry.path());
    }
    return files;
}

pid_t spawn(const std::vector<std::string>& arguments, const std::filesystem::path& output) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        ::dup2(fd, STDOUT_FILENO);
        ::dup2(fd, STDERR_FILENO);
        std::vector<char*> argv;
        for (const auto& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

void kill_and_wait(pid_t pid) {
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

} // namespace launcher::testing
