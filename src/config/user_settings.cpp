#include "config/user_settings.h"

#include "config/config_data.h"
#include "platform/files.h"
#include "platform/text.h"

#include <string>
#include <vector>

namespace launcher {

std::filesystem::path UserSettingsPath(const std::filesystem::path& updater_folder) {
    return updater_folder / kUserSettingsFileName;
}

UserSettings ParseIniText(std::string_view bytes, const tConfigData& config) {
    UserSettings settings;
    for (const auto& raw_line : platform::split_lines(platform::decode_text(bytes))) {
        const std::string line = platform::trim(raw_line);
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = platform::to_lower(platform::trim(line.substr(0, equals)));
        const std::string value = platform::trim(line.substr(equals + 1));
        const std::string lower_value = platform::to_lower(value);
        if (key == "language")
            settings.LangConst = config.GetLanguageIdByName(lower_value);
        else if (key == "autoclose")
            settings.AutoClose = lower_value == "true";
        else if (key == "selproxy")
            settings.SelProxy = lower_value;
        else if (key == "drivetype")
            settings.DriveType = value;
        else if (key == "checkmode")
            settings.CheckMode = value;
        else if (key == "langfolder")
            settings.LangFolder = value;
        else if (key == "left")
            settings.MainLeft = platform::parse_int32(value).value_or(-1);
        else if (key == "top")
            settings.MainTop = platform::parse_int32(value).value_or(-1);
    }
    return settings;
}

UserSettings LoadIniFile(const std::filesystem::path& file, const tConfigData& config) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return UserSettings{};
    try {
        return ParseIniText(platform::read_file_text(file), config);
    } catch (const platform::FileError&) {
        return UserSettings{}; // unreadable: the defaults stand
    }
}

void ApplyConfigRestrictions(UserSettings& settings, const tConfigData& config) {
    if (!config.Config.UserCan_ChangeProxy)
        settings.SelProxy = "Auto";
    if (!config.Config.UserCan_ChangeDriveType)
        settings.DriveType = "HDD";
    if (!config.Config.UserCan_ChangeCheckMethod)
        settings.CheckMode = "Hard: MD5 Hash";
    if (!config.Config.UserCan_ChangeAutoClose)
        settings.AutoClose = config.Config.DefaultAutoClose;
}

void DeriveProxyIndex(UserSettings& settings, const tConfigData& config) {
    settings.SelProxy = platform::to_lower(platform::trim(settings.SelProxy));
    settings.ProxyIdx = 0;
    if (settings.SelProxy == "auto")
        return;
    const auto& proxies = config.ProxyServers.Servers;
    for (std::size_t i = 0; i < proxies.size(); ++i) {
        const std::size_t bar = proxies[i].find('|');
        const std::string name =
            bar == std::string::npos
                ? std::string()
                : platform::to_lower(platform::trim(proxies[i].substr(0, bar)));
        if (name == settings.SelProxy)
            settings.ProxyIdx = static_cast<std::int32_t>(i + 1);
    }
}

void SaveIniFile(const std::filesystem::path& file, const UserSettings& settings, std::int32_t left,
                 std::int32_t top, const std::string& language_name) {
    const std::vector<std::string> lines{
        "Left = " + std::to_string(left),
        "Top = " + std::to_string(top),
        "Language = " + language_name,
        std::string("AutoClose = ") + (settings.AutoClose ? "True" : "False"),
        "SelProxy = " + settings.SelProxy,
        "DriveType = " + settings.DriveType,
        "CheckMode = " + settings.CheckMode,
        "LangFolder = " + settings.LangFolder,
    };
    platform::write_file_atomic(file, platform::encode_text(platform::join_crlf(lines)));
}

} // namespace launcher
