#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace launcher::platform {

// The arguments this process was started with, its program name first, as
// UTF-8 (from /proc/self/cmdline; on Windows the wide command line split by
// the system's rules).
std::vector<std::string> own_command_line();

// Runs `program` with `arguments` (the first being its name) in place of this
// process, with its terminal, standard streams and working folder, so that
// whoever waits for this process (a shell) waits for the new program and
// gets its exit status. POSIX systems replace the process (execv). Windows
// cannot: there the program is started with this process's standard handles,
// this process waits for it and ends with its exit code. Returns only on
// failure, having started nothing, with the reason.
std::string replace_process(const std::filesystem::path& program,
                            const std::vector<std::string>& arguments);

} // namespace launcher::platform
