#pragma once

#include "config/config_data.h"
#include "platform/file_lock.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace launcher::front {

// What a window's start-up got of the game folder's lock.
struct WindowFolderLock {
    // Another run is working on the folder: the window must end untouched.
    bool busy = false;
    // Held for the window's whole life; none when the folder cannot hold a
    // lock file, which no run can then write either.
    std::optional<platform::FileLock> lock;
};

// Takes the game folder's lock for the launcher window. When another run
// holds it, the player's language is loaded (so the message is theirs) and
// `tell` shows "The launcher is already updating this folder".
WindowFolderLock LockFolderForWindow(const std::filesystem::path& launcher_folder,
                                     tConfigData& config,
                                     const std::function<void(const std::string&)>& tell);

} // namespace launcher::front
