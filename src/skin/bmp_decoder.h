#pragma once

#include "skin/bitmap.h"

#include <cstdint>
#include <span>
#include <stdexcept>

namespace launcher {

// Raised when bytes that should hold a BMP file do not.
class InvalidImageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Decodes a complete Windows BMP file (file header included): 1, 4, 8, 16, 24
// and 32 bits per pixel, uncompressed or with bit-field masks, bottom-up or
// top-down. Pixels come out opaque unless a 32-bit image carries alpha.
// Throws InvalidImageError for anything else, including a file whose pixel
// data is shorter than its header promises.
Bitmap decode_bmp(std::span<const std::uint8_t> file);

} // namespace launcher
