// Feeds arbitrary resource bytes to the package decoder as start-up reads
// them: length field, scrambled bzip2 payload.
#include "config/config_data.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    launcher::tConfigData config;
    config.resource_source = [&]() -> std::optional<std::span<const std::uint8_t>> {
        return std::span(data, size);
    };
    launcher::platform::MemoryStream stream;
    config.LoadConfig(stream);
    return 0;
}
