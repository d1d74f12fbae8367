#include "platform/own_process.h"

#include "platform/files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <unistd.h>

namespace launcher::platform {

std::vector<std::string> own_command_line() {
    std::vector<std::string> arguments;
    std::string current;
    for (const char c : read_file_text("/proc/self/cmdline")) {
        if (c == '\0') {
            arguments.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    return arguments;
}

std::string replace_process(const std::filesystem::path& program,
                            const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    ::execv(program.c_str(), argv.data());
    return std::strerror(errno);
}

std::filesystem::path executable_path() {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        throw FileError("Cannot find the running executable: " + error.message());
    return path;
}

} // namespace launcher::platform
