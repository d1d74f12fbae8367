#pragma once

#include "catalogue/file_catalogue.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace launcher::publish {

// Files from this size up get a block index beside their archive.
inline constexpr std::uint64_t kBlockIndexFrom = std::uint64_t{8} << 20;

// Brings the block indexes of a served release in line with its catalogue:
// each file of at least `from` bytes (none when `from` is 0) whose archive
// stores it uncompressed and contiguous gets the index of that archive,
// unless the one beside it already is; every other index of a listed or
// `gone` file goes. Each index is written under a staged name and renamed
// into place; one that is left stale or cut short by a kill only makes
// launchers fetch the whole archive. Returns how many were written; throws
// platform::FileError.
std::size_t UpdateBlockIndexes(const std::filesystem::path& out_dir, const TFileList& catalogue,
                               std::uint64_t from, const std::vector<std::string>& gone);

} // namespace launcher::publish
