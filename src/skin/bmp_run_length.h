#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace launcher {

// A pixel the run-length codes passed over (by a delta, an end of line or the
// end of the bitmap) and never set.
inline constexpr std::uint16_t kUnsetPixel = 0xFFFF;

// Expands the codes of an RLE8 (`bits` 8) or RLE4 (`bits` 4) image of
// width x height pixels into one palette index per pixel, rows from the top.
// The codes are read as Windows writes them: rows from the bottom; a run of
// one index (RLE4: two alternating indexes); escapes for the end of a line,
// the end of the bitmap, a delta that moves right and up, and an absolute run
// whose bytes are padded to an even count. Pixels beyond the right edge or
// above the top row are dropped. Throws InvalidImageError when the codes end
// before the end-of-bitmap code while rows remain, or in the middle of a code.
std::vector<std::uint16_t> ExpandRunLength(std::span<const std::uint8_t> codes, int width,
                                           int height, unsigned bits);

} // namespace launcher
