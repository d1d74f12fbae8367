#include "front/window_folder_lock.h"

#include "config/language_table.h"
#include "config/player_choices.h"
#include "platform/file.h"
#include "platform/system_language.h"
#include "update/game_folder_lock.h"

namespace launcher::front {

WindowFolderLock LockFolderForWindow(const std::filesystem::path& launcher_folder,
                                     tConfigData& config,
                                     const std::function<void(const std::string&)>& tell) {
    WindowFolderLock result;
    try {
        result.lock = LockGameFolderAtStart(launcher_folder);
        if (!result.lock) {
            result.busy = true;
            LoadPlayerChoices(UpdaterFolder(launcher_folder), config, LanguageStrings(),
                              platform::system_default_language_id());
            tell(LanguageText(LanguageStrings(), LanguageEntry::FolderBusy));
        }
    } catch (const platform::FileError&) {
        // A folder that cannot hold a lock file cannot be written by any run.
    }
    return result;
}

} // namespace launcher::front
