#include "launch/settings_choices.h"

#include "launch/proxy_entry.h"
#include "platform/text.h"

namespace launcher {

ProxyListView ProxyListItems(const tGameProxysRecord& proxies, std::string_view SelProxy,
                             bool enabled) {
    ProxyListView view;
    view.items.emplace_back(kAutoProxyItem);
    if (!enabled)
        return view;
    const std::string chosen = platform::to_lower(SelProxy);
    for (std::size_t i = 0; i < proxies.Servers.size(); ++i) {
        std::string name = ParseProxyEntry(proxies.Servers[i]).name;
        // Two entries of one name: the later one is the chosen proxy.
        if (platform::to_lower(name) == chosen)
            view.selected = static_cast<int>(i) + 1;
        view.items.push_back(std::move(name));
    }
    return view;
}

int DriveTypeIndex(std::string_view DriveType) {
    return platform::to_lower(DriveType) == "hdd" ? 0 : 1;
}

std::optional<int> CheckModeIndex(std::string_view CheckMode) {
    const std::string mode = platform::to_lower(CheckMode);
    for (std::size_t i = 0; i < kCheckTypeItems.size(); ++i)
        if (mode == platform::to_lower(kCheckTypeItems[i]))
            return static_cast<int>(i);
    return std::nullopt;
}

void TakeBackChoices(const SettingsChoices& choices, UserSettings& settings) {
    if (choices.AutoClose)
        settings.AutoClose = *choices.AutoClose;
    if (choices.Proxy) {
        settings.ProxyIdx = choices.Proxy->index;
        settings.SelProxy = choices.Proxy->name;
    } else {
        settings.SelProxy = std::string(kAutoProxyItem);
    }
    if (choices.DriveTypeIndex && *choices.DriveTypeIndex >= 0 &&
        static_cast<std::size_t>(*choices.DriveTypeIndex) < kDriveTypeItems.size())
        settings.DriveType = kDriveTypeItems[static_cast<std::size_t>(*choices.DriveTypeIndex)];
    if (choices.CheckTypeIndex && *choices.CheckTypeIndex >= 0 &&
        static_cast<std::size_t>(*choices.CheckTypeIndex) < kCheckTypeItems.size())
        settings.CheckMode = kCheckTypeItems[static_cast<std::size_t>(*choices.CheckTypeIndex)];
}

Point SettingsWindowPosition(const Rect& main_window, std::int32_t dialog_width,
                             std::int32_t dialog_height) {
    // Integer halves of sizes, which are never negative: rounded toward zero.
    return {static_cast<std::int32_t>(main_window.left + main_window.width() / 2 -
                                      dialog_width / 2 - 60),
            static_cast<std::int32_t>(main_window.top + main_window.height() / 2 -
                                      dialog_height / 2 - 60)};
}

} // namespace launcher
