#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace launcher {

// What the first command-line argument asks for; every further argument is
// ignored. A run is in debug mode or in file mode, never both.
struct CommandLine {
    bool DebugMode = false;
    bool FileModeActive = false;
    std::string FileModeFolder; // always ends with a backslash when set
};

CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

} // namespace launcher
