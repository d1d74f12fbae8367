#include "cli/own_command_line.h"

#include "platform/files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <unistd.h>

namespace launcher::cli {

std::vector<std::string> OwnCommandLine() {
    std::vector<std::string> arguments;
    std::string current;
    for (const char c : platform::read_file_text("/proc/self/cmdline")) {
        if (c == '\0') {
            arguments.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    return arguments;
}

std::string ReplaceProcess(const std::filesystem::path& program,
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

} // namespace launcher::cli
