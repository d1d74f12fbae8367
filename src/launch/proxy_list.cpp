#include "launch/proxy_list.h"

#include "platform/text.h"

namespace launcher {
namespace {

void tell(LauncherView& view, const std::string& text) {
    view.MsgShow(text);
    view.SetStatus(text);
}

} // namespace

std::string LoadProxyList(const tConfigData& config, UserSettings& settings, ProxyProbe& probe,
                          LauncherView& view, const LanguageTable& strings) {
    const auto& proxies = config.ProxyServers;
    if (!proxies.UseProxy)
        return {};

    std::string result;
    if (platform::to_lower(settings.SelProxy) == "auto") {
        result = probe.CheckProxyServers(proxies.Servers, proxies.Port, settings.ProxyIdx);
        if (result.empty())
            tell(view, LanguageText(strings, LanguageEntry::NoGameProxy));
        return result;
    }

    const std::int32_t chosen = settings.ProxyIdx;
    if (chosen > 0 && static_cast<std::size_t>(chosen) <= proxies.Servers.size())
        result = proxies.Servers[static_cast<std::size_t>(chosen - 1)];
    if (!result.empty())
        result = probe.CheckProxyServers({result}, proxies.Port, settings.ProxyIdx);
    if (result.empty())
        tell(view, LanguageText(strings, LanguageEntry::ChosenProxyUnavailable));
    return result;
}

} // namespace launcher
