#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace launcher {

class tConfigData;

inline constexpr std::string_view kUserSettingsFileName = "Vantoria.ini";

// The player's choices that survive from one run to the next, with their
// state before the settings file is read.
struct UserSettings {
    std::int32_t LangConst = 0;
    bool AutoClose = false;
    std::string SelProxy = "auto";
    std::string DriveType = "HDD";
    std::string CheckMode = "Hard: MD5 Hash";
    std::string LangFolder = "default";
    std::int32_t MainLeft = -1;
    std::int32_t MainTop = -1;
    std::int32_t ProxyIdx = 0; // derived: 1-based position of the chosen proxy, 0 = automatic
};

// The settings file's path: the updater folder followed by "Vantoria.ini".
std::filesystem::path UserSettingsPath(const std::filesystem::path& updater_folder);

// Defaults, then the lines of a settings file's content.
UserSettings ParseIniText(std::string_view bytes, const tConfigData& config);

// Defaults, then the file's lines when it exists. `config` turns the saved
// language name into its id.
UserSettings LoadIniFile(const std::filesystem::path& file, const tConfigData& config);

// The configuration's restrictions replace choices the player may not make.
void ApplyConfigRestrictions(UserSettings& settings, const tConfigData& config);

// Normalises `SelProxy` and derives `ProxyIdx` from the proxy list (the last
// entry with that proxy name wins).
void DeriveProxyIndex(UserSettings& settings, const tConfigData& config);

// Writes the eight lines; the file is replaced atomically. Throws
// platform::FileError when it cannot be written.
void SaveIniFile(const std::filesystem::path& file, const UserSettings& settings, std::int32_t left,
                 std::int32_t top, const std::string& language_name);

} // namespace launcher
