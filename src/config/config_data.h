#pragma once

#include "config/config_records.h"
#include "config/language_table.h"
#include "config/my_collection.h"
#include "platform/memory_stream.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace launcher {

class tDebugFile;

// The parsed configuration: one instance for the whole run, filled at
// start-up from the package inside the executable and read-only afterwards
// (apart from the language last applied).
class tConfigData {
public:
    // Where LoadConfig finds the package resource; the running executable's
    // data block unless a test or tool gives another.
    using ResourceSource = std::function<std::optional<std::span<const std::uint8_t>>()>;

    tConfigData();

    // Writes the decoded package into `stream` at its position. Any failure
    // leaves `stream` untouched; the debug log shows how far it got.
    bool LoadConfig(platform::MemoryStream& stream);

    // Parses the configuration text from the stream's position to its end.
    // True when the text holds at least one line.
    bool ParseConfig(platform::MemoryStream& stream);

    // Fills `arr` from the language section chosen for `langid`.
    void SetLanguageArray(std::int32_t langid, LanguageTable& arr);

    // The id of the language with that display name (the first section's id
    // when none matches).
    std::int32_t GetLanguageIdByName(std::string_view name) const;

    tMyCollection LanguageCollection;
    std::string LangName;
    std::int32_t LangNum = 0;
    tConfigRecord Config;
    tMainWindowRecord MainWindow;
    tSettingsWindowRecord SettingsWindow;
    tUpdateServersRecord UpdateServers;
    tGameProxysRecord ProxyServers;
    tDebugFile* debug_file = nullptr; // not owned

    ResourceSource resource_source;

private:
    void log(std::string_view line) const;
    void apply_entry(const std::string& section, const std::string& key, const std::string& value,
                     std::int32_t number, bool flag);
};

} // namespace launcher
