#pragma once

#include "catalogue/file_catalogue.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace launcher {

// The previous list (OldList.lst) as a run found it, so that the run writes
// it back only when it changed, and never writes back what it could not read.
class PreviousListSnapshot {
public:
    // Loads `file` into `list` (emptied first). A line that is no record this
    // launcher writes (a hash that is not 32 hexadecimal digits, a name
    // outside the game folder, a date that does not parse) is left out; a
    // file larger than `size_bound`, or one with more such lines than
    // records, is not one this launcher wrote and counts as no previous
    // list. Returns what the debug log should say about it.
    std::vector<std::string> Load(const std::filesystem::path& file, std::uint64_t size_bound,
                                  TFileList& list);
    // Whether `list` must be written: it differs from what Load gave, or the
    // file held something Load left out.
    bool Changed(const TFileList& list) const;

private:
    std::vector<std::string> lines_;
    bool rewrite_ = false;
};

// How large a previous list can sensibly be for a file list of
// `manifest_bytes`: its records are catalogue lines, so a list much larger
// than the catalogue is junk, and reading it would only cost memory.
std::uint64_t PreviousListBound(std::uint64_t manifest_bytes);

} // namespace launcher
