#pragma once

#include "config/command_line.h"
#include "config/config_data.h"
#include "config/debug_file.h"
#include "skin/skin_config.h"

#include <memory>
#include <string>
#include <vector>

namespace launcher {

inline constexpr std::string_view kDefaultInstanceTitle = "AutoUpdater";
inline constexpr std::string_view kDefaultLangFolder = "default;system";
inline constexpr std::string_view kDebugLogFileName = "log.err";

// Everything start-up builds before any window exists.
struct StartupState {
    CommandLine command_line;
    std::string InstanceTitle{kDefaultInstanceTitle};
    std::unique_ptr<tDebugFile> DebugFile;
    std::unique_ptr<tConfigData> ConfigData;
    std::unique_ptr<TqorConfig> Skin;
};

// Reads the command line, sets up the debug log ("log.err" in the current
// folder), decodes the configuration package, reads both skin parts and then
// the configuration text from the same stream, and applies the instance
// title and the default language folder list. A damaged skin raises its read
// error; a missing package leaves the skin and configuration empty. A
// program gives its version line as `first_log_line`: the debug log then
// starts with it, so a log sent in names the build that wrote it.
StartupState RunStartup(const std::vector<std::string>& arguments,
                        tConfigData::ResourceSource resource_source = {},
                        std::string_view first_log_line = {});

} // namespace launcher
