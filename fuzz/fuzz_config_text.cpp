// Feeds arbitrary bytes to the configuration text parser, then fills a
// language table from every section it found.
#include "config/config_data.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    launcher::tConfigData config;
    launcher::platform::MemoryStream stream(launcher::platform::Bytes(data, data + size));
    config.ParseConfig(stream);
    launcher::LanguageTable table;
    config.Config.UserCan_ChangeLanguage = true;
    for (const auto& section : config.LanguageCollection.List)
        config.SetLanguageArray(config.GetLanguageIdByName(section.object->Item), table);
    return 0;
}
