#pragma once

#include "skin/bitmap.h"

#include <cstdint>
#include <vector>

namespace launcher {

// A 24-bit uncompressed bottom-up BMP file of the image (alpha is dropped).
std::vector<std::uint8_t> encode_bmp_24(const Bitmap& image);

} // namespace launcher
