#pragma once

#include "patch/strong_hash.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace launcher::patch {

// The block index served beside a packed archive ("NAME.vdp" + ".idx"): what
// a launcher needs to build the new file from the blocks of its old one and
// byte ranges of the archive. It is bound to one archive and one content by
// their hashes, so an index left from another release is recognised.
inline constexpr std::string_view kBlockIndexSuffix = ".idx";

struct BlockSum {
    std::uint32_t weak = 0;
    StrongHash strong{};
    bool operator==(const BlockSum&) const = default;
};

struct BlockIndex {
    std::uint32_t block_size = 0;
    std::uint64_t file_size = 0;
    // Where the member's first byte lies in the archive; the member's bytes
    // follow contiguous, as they are in the file.
    std::uint64_t data_offset = 0;
    std::string archive_md5; // lower-case hex of the archive's MD5
    std::string content_md5; // lower-case hex of the file's MD5
    bool executable = false; // the archive marks the member as a program
    std::vector<BlockSum> blocks;

    std::uint64_t block_offset(std::size_t block) const {
        return static_cast<std::uint64_t>(block) * block_size;
    }
    std::uint32_t block_length(std::size_t block) const;
    bool operator==(const BlockIndex&) const = default;
};

// Limits a reader holds an index to, whatever its header claims.
inline constexpr std::uint32_t kSmallestBlock = 4u << 10;
inline constexpr std::uint32_t kLargestBlock = 1u << 20;
inline constexpr std::uint64_t kMostBlocks = std::uint64_t{1} << 22;

// The block size for a file of `file_size` bytes. A patch costs the whole
// index (20 bytes a block) plus about one block for each region it changes;
// with k regions, size/B*20 + k*B is smallest at B = sqrt(20 * size / k).
// Patches of games change several places at once: k = 4, so the power of two
// nearest to sqrt(5 * size), within [kSmallestBlock, kLargestBlock] (32 KiB
// for 256 MiB, whose index is then 160 KiB; 128 KiB for 4 GiB).
std::uint32_t ChooseBlockSize(std::uint64_t file_size);

// The index's bytes: a text header of "key value" lines, starting with the
// version line, then per block its 4-byte weak checksum (little-endian) and
// 16-byte strong hash.
std::string BlockIndexBytes(const BlockIndex& index);

// Reads an index; none with `why` set when the bytes are not a whole,
// consistent index of this version (every count is checked against the
// limits above and against the length of the bytes before anything is
// allocated).
std::optional<BlockIndex> ParseBlockIndex(std::span<const std::uint8_t> bytes, std::string& why);

// The longest index a launcher reads: the header and kMostBlocks blocks.
inline constexpr std::uint64_t kLongestBlockIndex = 4096 + kMostBlocks * 20;

} // namespace launcher::patch
