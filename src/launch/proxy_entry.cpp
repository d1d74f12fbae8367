#include "launch/proxy_entry.h"

#include "platform/text.h"

namespace launcher {

ProxyEntry ParseProxyEntry(std::string_view entry) {
    ProxyEntry parsed;
    const std::size_t first = entry.find('|');
    if (first == std::string_view::npos) {
        parsed.file = platform::trim(entry);
        return parsed;
    }
    parsed.name = platform::trim(entry.substr(0, first));
    const std::size_t second = entry.find('|', first + 1);
    if (second != std::string_view::npos)
        parsed.host = platform::trim(entry.substr(first + 1, second - first - 1));
    parsed.file = platform::trim(entry.substr(entry.rfind('|') + 1));
    return parsed;
}

} // namespace launcher
