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
// whose bytes are padded to an even count. Throws InvalidImageError for
// damaged codes: a run that passes the end of its row or the last row, a
// delta that moves outside the image, a line end after the last row, codes
// that end before the end-of-bitmap code or in the middle of a code.
std::vector<std::uint16_t> ExpandRunLength(std::span<const std::uint8_t> codes, int width,
                                           int height, unsigned bits);

} // namespace launcher
