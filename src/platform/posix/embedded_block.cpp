#include "platform/embedded_block.h"

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

} // namespace launcher::platform
