#pragma once

#include "config/config_data.h"
#include "config/language_table.h"
#include "config/user_settings.h"
#include "launch/proxy_probe.h"
#include "update/launcher_view.h"

#include <string>

namespace launcher {

// Chooses the game proxy after an update: probes every proxy when the
// player's choice is automatic, otherwise only the chosen one. Returns the
// new `ProxyLine` (empty when proxies are off or none answered); tells the
// player through the message panel and status line when none answered.
std::string LoadProxyList(const tConfigData& config, UserSettings& settings, ProxyProbe& probe,
                          LauncherView& view, const LanguageTable& strings);

} // namespace launcher
