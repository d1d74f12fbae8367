#pragma once

#include "config/startup.h"
#include "config/user_settings.h"
#include "platform/file_lock.h"

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
    // Held for the whole run: one run per game folder (none when the folder
    // cannot hold a lock file, and so cannot be written by any run).
    std::optional<platform::FileLock> folder_lock;
};

// Throws CLI::RuntimeError after printing "Sorry! Not found the config" when
// the executable carries no usable package, and with exit status 1 after
// saying so when another run holds the game folder (nothing is changed then). `arguments` is the
// command line the start-up reads ("-debug", "filemode=DIR").
LauncherContext OpenLauncher(const std::optional<std::filesystem::path>& folder,
                             const std::vector<std::string>& arguments = {});

} // namespace launcher::cli
