#pragma once

#include "config/config_data.h"
#include "config/language_table.h"
#include "config/user_settings.h"

#include <cstdint>
#include <filesystem>

namespace launcher {

inline constexpr std::string_view kUpdaterFolderName = "updater";

// The updater folder of a launcher folder: settings, previous list and
// temporary packed file live there.
std::filesystem::path UpdaterFolder(const std::filesystem::path& launcher_folder);

// What the main window does with the player's choices while it is created:
// reads the settings file, applies the configuration's restrictions, fills
// the language table (the saved language, else the system's) and derives the
// chosen proxy's index.
UserSettings LoadPlayerChoices(const std::filesystem::path& updater_folder, tConfigData& config,
                               LanguageTable& table, std::int32_t system_language_id);

} // namespace launcher
