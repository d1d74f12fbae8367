#pragma once

#include "skin/bitmap.h"

#include <cstdint>
#include <vector>

namespace launcher {

// A PNG file of the image with its alpha channel (8 bits per channel, RGBA).
// Throws std::runtime_error for an empty image.
std::vector<std::uint8_t> encode_png(const Bitmap& image);

} // namespace launcher
