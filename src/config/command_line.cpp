#include "config/command_line.h"

#include "platform/text.h"

namespace launcher {

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine result;
    if (arguments.empty())
        return result;
    const std::string& first = arguments.front();
    result.DebugMode = platform::to_lower(first) == "-debug";

    const std::size_t equals = first.find('=');
    if (equals == std::string::npos)
        return result;
    std::string folder = first.substr(equals + 1);
    if (platform::to_lower(first.substr(0, equals)) == "filemode" && !folder.empty()) {
        if (folder.back() != '\\')
            folder += '\\';
        result.FileModeActive = true;
        result.FileModeFolder = std::move(folder);
    }
    return result;
}

} // namespace launcher
