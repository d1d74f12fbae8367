#pragma once

#include "platform/process_start.h"

#include <filesystem>
#include <string>

namespace launcher {

inline constexpr std::string_view kClientExecutable = "jux.exe";
inline constexpr std::string_view kClientSettingsFile = "jux.ini";

// What starting the game client needs to know.
struct GameStartRequest {
    std::filesystem::path MainPath;   // the launcher folder
    std::string language_folder_list; // "name;folder|..." of the configuration
    std::string LangFolder;           // the player's entry of that list
    bool UseProxy = false;
    std::string ProxyLine; // the chosen proxy entry, or empty
};

struct GameStartResult {
    std::filesystem::path working_folder; // launcher folder + client folder
    std::string parameter;                // the proxy file's name, or empty
    std::string error;                    // empty when the client was started
};

// Points the client at the chosen proxy (its file replaces jux.ini when it
// exists) and starts "jux.exe" in the client folder with the proxy file's
// name as its only parameter.
GameStartResult StartGameClient(const GameStartRequest& request, platform::ProcessStarter& starter);

} // namespace launcher
