#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace launcher {

// General values of the configuration text's [config] section.
struct tConfigRecord {
    std::string Instance;
    std::string TrayHint;
    std::string DefaultLanguage;
    bool UserCan_ChangeLanguage = false;
    bool DefaultAutoClose = false;
    bool UserCan_ChangeAutoClose = false;
    bool UserCan_ChangeProxy = false;
    bool UserCan_ChangeDriveType = false;
    bool UserCan_ChangeCheckMethod = false;
    std::string LangFolder; // pairs "name;client folder" separated by "|"
    // Files fetched at once during an update ("jobs=" line); 1 fetches one
    // file after another. Values below 1 count as 1.
    std::int32_t Jobs = 8;
};

struct tMainWindowRecord {
    std::string Caption;
    bool FadeEffect = false;
};

struct tSettingsWindowRecord {
    bool FadeEffect = false;
};

struct tUpdateServersRecord {
    bool UsePing = false;
    bool RandomSelect = false;
    std::vector<std::string> Servers;
    // The publisher's release-signing keys ("publickey=" lines); with one or
    // more, only signed file lists are used.
    std::vector<std::string> PublicKeys{};
    // The release channel this launcher takes ("channel=" line); empty for
    // the default channel.
    std::string Channel{};
};

struct tGameProxysRecord {
    bool UseProxy = false;
    std::int32_t Port = 0;
    std::vector<std::string> Servers; // "name|..." entries
};

} // namespace launcher
