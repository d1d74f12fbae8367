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

// Returns only on failure, with the reason.
inline std::string ReplaceProcess(const std::filesystem::path& program,
                                  const std::vector<std::string>& arguments) {
    return platform::replace_process(program, arguments);
}

} // namespace launcher::cli
