#include "config/player_choices.h"

namespace launcher {

std::filesystem::path UpdaterFolder(const std::filesystem::path& launcher_folder) {
    return launcher_folder / kUpdaterFolderName;
}

UserSettings LoadPlayerChoices(const std::filesystem::path& updater_folder, tConfigData& config,
                               LanguageTable& table, std::int32_t system_language_id) {
    UserSettings settings = LoadIniFile(UserSettingsPath(updater_folder), config);
    ApplyConfigRestrictions(settings, config);
    if (settings.LangConst != 0) {
        config.SetLanguageArray(settings.LangConst, table);
    } else {
        config.SetLanguageArray(system_language_id, table);
        settings.LangConst = config.LangNum;
    }
    DeriveProxyIndex(settings, config);
    return settings;
}

} // namespace launcher
