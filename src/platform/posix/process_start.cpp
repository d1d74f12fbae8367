#include "platform/process_start.h"

#include "platform/files.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace launcher::platform {
namespace {

// ELF binaries and "#!" scripts run here directly; anything else (a PE file
// of the Windows client) needs wine.
bool is_native_program(const std::filesystem::path& program) {
    std::ifstream in(program, std::ios::binary);
    char magic[4] = {};
    in.read(magic, sizeof magic);
    if (in.gcount() >= 4 && std::memcmp(magic,
                                        "\x7F"
                                        "ELF",
                                        4) == 0)
        return true;
    return in.gcount() >= 2 && magic[0] == '#' && magic[1] == '!';
}

// The interpreter line of a "#!" script: its program and its optional argument.
std::vector<std::string> script_interpreter(const std::filesystem::path& program) {
    std::ifstream in(program, std::ios::binary);
    std::string line;
    std::getline(in, line);
    if (!line.starts_with("#!"))
        return {};
    std::vector<std::string> parts;
    std::size_t at = 2;
    while (parts.size() < 2) {
        at = line.find_first_not_of(" \t\r", at);
        if (at == std::string::npos)
            break;
        const std::size_t end = parts.empty() ? line.find_first_of(" \t\r", at) : line.size();
        std::string part = line.substr(at, end == std::string::npos ? std::string::npos : end - at);
        while (!part.empty() && (part.back() == '\r' || part.back() == ' ' || part.back() == '\t'))
            part.pop_back();
        parts.push_back(part);
        at = end;
    }
    return parts;
}

// Forks twice so the program is re-parented to init and never left as a
// zombie of the launcher. The grandchild reports an exec failure through a
// close-on-exec pipe: no bytes means the program is running.
std::string spawn_detached(const std::vector<std::string>& command,
                           const std::filesystem::path& working_dir) {
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return std::string("Cannot start the program: ") + std::strerror(errno);
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return std::string("Cannot start the program: ") + std::strerror(errno);
    }
    if (child == 0) {
        ::close(report[0]);
        ::setsid();
        if (::fork() != 0)
            ::_exit(0);
        int error = 0;
        if (::chdir(working_dir.c_str()) != 0) {
            error = errno;
        } else {
            std::vector<char*> argv;
            for (const auto& part : command)
                argv.push_back(const_cast<char*>(part.c_str()));
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            error = errno;
        }
        [[maybe_unused]] const auto written = ::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    int error = 0;
    const ssize_t n = ::read(report[0], &error, sizeof error);
    ::close(report[0]);
    if (n == static_cast<ssize_t>(sizeof error))
        return "Cannot start " + command.front() + ": " + std::strerror(error);
    return {};
}

} // namespace

std::filesystem::path find_on_path(std::string_view name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr)
        return {};
    std::string_view rest = path;
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::filesystem::path candidate = std::filesystem::path(rest.substr(0, colon)) / name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        rest.remove_prefix(colon == std::string_view::npos ? rest.size() : colon + 1);
    }
    return {};
}

// Elevation is not asked for here: the program runs with the user's rights.
std::string DetachedProcessStarter::start(const std::filesystem::path& program,
                                          const std::vector<std::string>& arguments,
                                          const std::filesystem::path& working_dir) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(program, error))
        return "Cannot start " + program.string() + ": the file does not exist";
    std::vector<std::string> command;
    if (!is_native_program(program)) {
        const auto wine = find_on_path("wine");
        if (wine.empty())
            return "Cannot start " + program.string() +
                   ": it is not a program of this system and wine is not installed";
        command.push_back(wine.string());
    } else if (::access(program.c_str(), X_OK) != 0) {
        // Game files arrive from archives without permission bits: a script
        // that may not be executed is handed to its interpreter instead.
        command = script_interpreter(program);
    }
    command.push_back(program.string());
    command.insert(command.end(), arguments.begin(), arguments.end());
    return spawn_detached(command, working_dir);
}

} // namespace launcher::platform
