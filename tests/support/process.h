#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace launcher::testing {

struct ProcessResult {
    int exit_code = -1;   // 128 + the signal when a signal ended it
    std::string output;   // standard output and standard error, interleaved
    std::string errors{}; // standard error alone
};

// Runs a program to its end in `working_dir` and collects what it printed.
ProcessResult
run_process(const std::vector<std::string>& arguments,
            const std::filesystem::path& working_dir = std::filesystem::current_path());

} // namespace launcher::testing
