#pragma once

#include "patch/block_index.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace launcher::patch {

// What the index of one published file is built from.
struct IndexedMember {
    std::filesystem::path archive;
    std::uint64_t data_offset = 0; // where the member's bytes would start
    std::uint64_t file_size = 0;
    std::string archive_md5; // the catalogue's packed hash
    std::string content_md5; // the catalogue's hash
};

// Reads the member's bytes from the archive and sums their blocks. None when
// those bytes are not the file (their MD5 is not `content_md5`): the archive
// does not store the member uncompressed and contiguous at that offset.
// Throws platform::FileError when the archive cannot be read.
std::optional<BlockIndex> BuildBlockIndex(const IndexedMember& member);

} // namespace launcher::patch
