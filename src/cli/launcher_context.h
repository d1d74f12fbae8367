#pragma once

#include "config/startup.h"
#include "config/user_settings.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace launcher::cli {

// What every command that acts on a game folder starts from: start-up on
// this executable, then the player's choices as the main window would load them.
struct LauncherContext {
    StartupState startup;
    std::filesystem::path launcher_folder;
    UserSettings settings;
};

// Throws CLI::RuntimeError after printing "Sorry! Not found the config" when
// the executable carries no usable package. `arguments` is the command line
// the start-up reads ("-debug", "filemode=DIR").
LauncherContext OpenLauncher(const std::optional<std::filesystem::path>& folder,
                             const std::vector<std::string>& arguments = {});

} // namespace launcher::cli
