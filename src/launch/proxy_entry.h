#pragma once

#include <string>
#include <string_view>

namespace launcher {

// One configured game proxy: "name|host|file".
struct ProxyEntry {
    std::string name; // before the first "|", trimmed; empty without "|"
    std::string host; // between the first and second "|", trimmed; empty without a second "|"
    std::string file; // after the last "|", trimmed
};

ProxyEntry ParseProxyEntry(std::string_view entry);

} // namespace launcher
