#include "platform/embedded_block.h"

#include "platform/text.h"

#include <algorithm>

namespace launcher::platform {

std::optional<std::span<const std::uint8_t>> FindResourceData(std::string_view name, int type) {
    if (type != kResourceTypeRcData || to_lower_ascii(name) != "blank")
        return std::nullopt;
    const auto block = embedded_block();
    if (block.size() < 4 ||
        std::all_of(block.begin(), block.begin() + 4, [](std::uint8_t b) { return b == 0; }))
        return std::nullopt;
    return block;
}

} // namespace launcher::platform
