#pragma once

#include "config/config_data.h"
#include "platform/memory_stream.h"

#include <filesystem>
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

// Makes a folder the process's current folder while it lives: code that
// writes into the current folder (the debug log, config.pack) writes there
// and not into the folder the tests were started from.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::filesystem::path& path)
        : saved_(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~CurrentDirectory() { std::filesystem::current_path(saved_); }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::filesystem::path saved_;
};

} // namespace launcher::testing
