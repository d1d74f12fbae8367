#pragma once

#include "config/config_data.h"
#include "platform/memory_stream.h"

#include <string_view>

namespace launcher::testing {

inline platform::MemoryStream stream_of(std::string_view bytes) {
    return platform::MemoryStream(platform::Bytes(bytes.begin(), bytes.end()));
}

// A configuration parsed from `text` as start-up would.
inline tConfigData parse_config(std::string_view text) {
    tConfigData config;
    auto stream = stream_of(text);
    config.ParseConfig(stream);
    return config;
}

} // namespace launcher::testing
