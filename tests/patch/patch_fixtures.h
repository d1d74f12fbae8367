#pragma once

#include "patch/block_index.h"

#include <cstdint>
#include <span>
#include <vector>

namespace launcher::patch::testing {

// Bytes that repeat nowhere within a file (a simple generator per seed).
std::vector<std::uint8_t> RandomBytes(std::size_t size, std::uint32_t seed);

// The index of `content` with the given block size, as a publisher would
// write it for an archive whose member starts at `data_offset`.
BlockIndex IndexOf(std::span<const std::uint8_t> content, std::uint32_t block_size,
                   std::uint64_t data_offset = 0);

} // namespace launcher::patch::testing
