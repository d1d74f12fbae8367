#include "platform/embedded_block.h"

#include "platform/text.h"

#include <algorithm>

namespace launcher::platform {
namespace {

// Zero-filled at build time; the publisher's tool fills it in the file. Kept
// in its own section so the tool can find it in the executable.
[[gnu::section(".launcher_blank"), gnu::used,
  gnu::aligned(16)]] const std::uint8_t launcher_blank[kEmbeddedBlockSize] = {};

} // namespace

std::span<const std::uint8_t> embedded_block() {
    const std::uint8_t* data = launcher_blank;
    // The compiler sees an all-zero constant; hide where the pointer comes
    // from so it reads the bytes the file really holds.
    asm volatile("" : "+r"(data));
    return {data, kEmbeddedBlockSize};
}

std::optional<std::span<const std::uint8_t>> FindResourceData(std::string_view name, int type) {
    if (type != kResourceTypeRcData || to_lower_ascii(name) != "blank")
        return std::nullopt;
    const auto block = embedded_block();
    if (std::all_of(block.begin(), block.begin() + 4, [](std::uint8_t b) { return b == 0; }))
        return std::nullopt;
    return block;
}

} // namespace launcher::platform
