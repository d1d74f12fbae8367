#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace launcher {

// The publisher's skin source folder: plain files (BMP images, parameter
// lists as text, region data as binary) and an index "index.txt" naming the
// records of both windows in order and the file of each sub-block. The format
// is described in docs/skin-source-format.md.

// Builds the main window part (version 12346) followed by the settings window
// part (version 23457) from the folder. Throws std::runtime_error with a clear
// message for a missing index, an unknown member or field, a file that cannot
// be read, or a bitmap file that is not a valid BMP image.
std::vector<std::uint8_t> ComposeSkinStream(const std::filesystem::path& skin_dir);

// Reads the two window parts from the start of `stream` and writes them as a
// skin source folder (created when missing; files of the same names are
// replaced). Returns the number of bytes the two parts take. Composing the
// folder again gives the same bytes. Throws std::runtime_error when the stream
// does not begin with the two parts or a part is truncated.
std::size_t DecomposeSkinStream(std::span<const std::uint8_t> stream,
                                const std::filesystem::path& skin_dir);

} // namespace launcher
