#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace launcher::cli {

// The arguments this process was started with, its program name first.
std::vector<std::string> OwnCommandLine();

// Replaces this process with `program` run with `arguments` (the first being
// its name), keeping the process, its terminal and its working folder, so
// the caller's shell waits for the new program. Returns only on failure,
// with the reason.
std::string ReplaceProcess(const std::filesystem::path& program,
                    const std::vector<std::string>& arguments);

} // namespace launcher::cli
