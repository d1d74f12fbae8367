#pragma once

#include "config/config_records.h"
#include "config/user_settings.h"
#include "skin/geometry.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace launcher {

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

// The proxy list as an opening of the settings window shows it: "Auto", then
// (when the player may choose) every entry's proxy name; the selection is
// the last entry named like `SelProxy` without regard to letter case, or
// "Auto" when none is.
struct ProxyListView {
    std::vector<std::string> items;
    int selected = 0;
};
ProxyListView ProxyListItems(const tGameProxysRecord& proxies, std::string_view SelProxy,
                             bool enabled);

// The drive type list's item for the player's drive type: "HDD" for "hdd" in
// any letter case, "SSD" for anything else.
int DriveTypeIndex(std::string_view DriveType);

// The check type list's item for the player's check mode, or none when the
// text names no item (the list then keeps its selection).
std::optional<int> CheckModeIndex(std::string_view CheckMode);

// Takes the choices of a closed settings window into the player's settings.
// A disabled proxy list sets "Auto". The probe of a chosen proxy is the
// window's part (it waits on the interface thread).
void TakeBackChoices(const SettingsChoices& choices, UserSettings& settings);

// Where the settings window opens over the main window: 60 pixels left of
// and above the place that would centre it (halves rounded toward zero).
// Returns the dialog's top-left corner.
struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};
Point SettingsWindowPosition(const Rect& main_window, std::int32_t dialog_width,
                             std::int32_t dialog_height);

} // namespace launcher
