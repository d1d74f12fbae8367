#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace launcher::patch {

// The strong hash of a block (BLAKE2b, 16 bytes): tells a block that only
// shares its weak checksum from the one it stands for.
using StrongHash = std::array<std::uint8_t, 16>;

StrongHash StrongHashOf(std::span<const std::uint8_t> block);

} // namespace launcher::patch
