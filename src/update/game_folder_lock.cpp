#include "update/game_folder_lock.h"

#include "config/player_choices.h"
#include "platform/file.h"
#include "platform/utf8_path.h"
#include "update/start_confirmation.h"

#include <system_error>
#include <thread>

namespace launcher {
namespace {

// How long a successor waits for the launcher that started it to let the
// folder go: that one does so as soon as it sees the confirmation.
constexpr std::chrono::seconds kSuccessorLockPatience{30};

} // namespace

std::optional<platform::FileLock> LockGameFolder(const std::filesystem::path& launcher_folder) {
    const std::filesystem::path updater = UpdaterFolder(launcher_folder);
    std::error_code ignored; // a folder that cannot be made is named by make_folders
    std::filesystem::create_directories(launcher_folder, ignored);
    if (platform::entry_kind(updater) == platform::EntryKind::Link)
        platform::remove_file(updater);
    platform::make_folders(launcher_folder, updater.filename());
    return platform::FileLock::TryTake(updater / kRunLockName);
}

std::optional<platform::FileLock>
LockGameFolderAsSuccessor(const std::filesystem::path& launcher_folder,
                          std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        if (auto lock = LockGameFolder(launcher_folder))
            return lock;
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::optional<platform::FileLock>
LockGameFolderAtStart(const std::filesystem::path& launcher_folder) {
    if (ConfirmStarted())
        return LockGameFolderAsSuccessor(launcher_folder, kSuccessorLockPatience);
    return LockGameFolder(launcher_folder);
}

std::string FolderBusyMessage(const std::filesystem::path& launcher_folder) {
    return "The launcher is already updating " + platform::utf8_of(launcher_folder) +
           " (another run holds " +
           platform::utf8_of(UpdaterFolder(launcher_folder) / kRunLockName) +
           "); nothing was changed";
}

} // namespace launcher
