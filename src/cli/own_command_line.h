#pragma once

#include "platform/own_process.h"

#include <filesystem>
#include <string>
#include <vector>

namespace launcher::cli {

// The command line and the restart live in the platform layer
// (platform/own_process.h); these names stay for the command-line tool.
inline std::vector<std::string> OwnCommandLine() {
    return platform::own_command_line();
}

inline void ReplaceProcess(const std::filesystem::path& program,
                           const std::vector<std::string>& arguments) {
    platform::replace_process(program, arguments);
}

} // namespace launcher::cli
