#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace launcher::app {

// The fixed items of the settings window's lists. Their order is what the
// main window relies on when it takes the choices back: an item's index
// stands for its text.
inline constexpr std::string_view kAutoProxyItem = "Auto";
inline constexpr std::array<std::string_view, 2> kDriveTypeItems{"HDD", "SSD"};
inline constexpr std::array<std::string_view, 3> kCheckTypeItems{
    "Hard: MD5 Hash", "Medium: Size & Date", "Light: Previous List"};

// The proxy list's selection: index 0 is "Auto", index i the i-th proxy entry
// of the configuration (counted from 1).
struct ProxyChoice {
    int index = 0;
    std::string name; // the selected item's text
};

// What the settings window hands back when it closes. A choice whose control
// was disabled is absent: the configuration does not let the player make it.
struct SettingsChoices {
    std::optional<bool> AutoClose;
    std::optional<ProxyChoice> Proxy;
    std::optional<int> DriveTypeIndex; // into kDriveTypeItems
    std::optional<int> CheckTypeIndex; // into kCheckTypeItems
};

} // namespace launcher::app
