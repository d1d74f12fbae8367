#pragma once

#include "skin/bitmap.h"
#include "skin/bmp_header.h"

#include <cstdint>
#include <span>

namespace launcher {

// Decodes a complete Windows BMP file (file header included) the way Windows
// shows it: 1, 4 and 8 bits per pixel through the palette, uncompressed or
// run-length compressed (RLE8, RLE4); 16, 24 and 32 bits per pixel, plain or
// with bit-field masks, a colour table in such a file ignored; rows bottom-up
// or top-down. Pixels come out opaque unless the header gives an alpha mask
// (56-, 108- and 124-byte headers); the fourth byte of a plain 32-bit pixel is
// padding. Throws InvalidImageError naming what is wrong for anything else:
// see ReadBmpHeader, and a palette index outside the palette, run-length data
// that end too soon.
Bitmap decode_bmp(std::span<const std::uint8_t> file);

} // namespace launcher
