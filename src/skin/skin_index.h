#pragma once

#include "skin/skin_layout.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace launcher {

// The index of a skin source folder ("index.txt"): which records each window
// part holds, in order, and which file gives each of their sub-blocks.
//
//   ; comment
//   [main]
//   BackGroundImage
//   image = main/BackGroundImage.image.bmp
//   region = main/BackGroundImage.region.rgn
//   [settings]
//   ...
//
// A line without "=" starts a record and names its member (or, in [main],
// gives a record type number that the launcher passes over). The lines
// "field = file" below it name the files of its sub-blocks; "block = file"
// gives the whole member block as stored instead.

inline constexpr std::string_view skin_index_file_name = "index.txt";
inline constexpr std::string_view whole_block_key = "block";

struct SkinIndexFile {
    std::string key;  // a sub-block field name, or "block"
    std::string path; // relative to the skin folder, '/'-separated
};

struct SkinIndexRecord {
    std::uint8_t type = 0;
    std::string member; // member name, or the type number for unknown types
    std::vector<SkinIndexFile> files;
    int line = 0; // where the record starts in the index, for messages
};

struct SkinIndex {
    std::vector<SkinIndexRecord> main;
    std::vector<SkinIndexRecord> settings;

    std::vector<SkinIndexRecord>& records(SkinWindow window) {
        return window == SkinWindow::Main ? main : settings;
    }
    const std::vector<SkinIndexRecord>& records(SkinWindow window) const {
        return window == SkinWindow::Main ? main : settings;
    }
};

// Parses and checks an index; throws std::runtime_error naming `origin` and
// the line for an unknown section, member or field, a duplicated field, or a
// whole block given together with single fields.
SkinIndex parse_skin_index(std::string_view text, std::string_view origin);

// The index as text, CR LF line ends, with a short explanatory header.
std::string format_skin_index(const SkinIndex& index);

} // namespace launcher
