#pragma once

#include "patch/block_index.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace launcher::patch {

// Reads up to `buffer.size()` bytes of the old file at `offset`; fewer only
// at its end.
using OldFileReader = std::function<std::size_t(std::uint64_t offset, std::span<std::uint8_t>)>;

// For each block of `index`: an offset of the old file (`old_size` bytes)
// that holds the block's bytes (same weak checksum and strong hash), or none.
// Every offset is tried, so blocks behind inserted or removed bytes are found
// as well as blocks that moved; a block the new file holds several times is
// found for each of them; the short last block is looked for by its own
// length. The old file is read once, front to back, in bounded memory.
std::vector<std::optional<std::uint64_t>>
FindLocalBlocks(const BlockIndex& index, std::uint64_t old_size, const OldFileReader& read);

// The same over bytes in memory.
std::vector<std::optional<std::uint64_t>> FindLocalBlocks(const BlockIndex& index,
                                                          std::span<const std::uint8_t> old);

} // namespace launcher::patch
