#pragma once

#include "platform/file_lock.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace launcher {

// The lock file in the updater folder that allows one run per game folder:
// two runs on one folder would share its temporary files and each remove
// the other's.
inline constexpr std::string_view kRunLockName = "launcher.lock";

// Takes the game folder's lock for a whole run: the folder and its updater
// folder are made when missing (a link standing at the updater folder is
// removed, never followed). None when another run holds it; that run's
// files are then left as they are. Throws platform::FileError when the
// folder cannot be made or the lock file cannot be opened.
std::optional<platform::FileLock> LockGameFolder(const std::filesystem::path& launcher_folder);

// The same for a successor (see ConfirmStarted): the launcher that started
// it holds the lock until it has seen the confirmation, so the lock is tried
// again for up to `patience`.
std::optional<platform::FileLock>
LockGameFolderAsSuccessor(const std::filesystem::path& launcher_folder,
                          std::chrono::milliseconds patience);

// Takes the lock for a program whose start-up just succeeded: confirms the
// start (ConfirmStarted) and waits for the lock as a successor when this
// program is one.
std::optional<platform::FileLock>
LockGameFolderAtStart(const std::filesystem::path& launcher_folder);

// What a second run on a locked folder tells in a terminal.
std::string FolderBusyMessage(const std::filesystem::path& launcher_folder);

} // namespace launcher
