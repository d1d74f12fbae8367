#pragma once

#include "platform/files.h"
#include "skin/bitmap.h"

#include <cstdint>
#include <vector>

namespace launcher::testing {

// Writes BMP files in layouts that the production encoder does not make, so
// the decoder can be checked against every layout skins carry.
struct BmpFixture {
    int bits = 24;         // 1, 4, 8, 24 or 32
    bool top_down = false; // negative height
    // For 1, 4 and 8 bits: the palette (0xAARRGGBB, alpha ignored) and one
    // index per pixel, rows from the top.
    std::vector<std::uint32_t> palette;
    std::vector<std::uint8_t> indices;
    // For 24 and 32 bits: the pixels; 32-bit files store the alpha byte.
    Bitmap image;
    int width = 0; // for indexed images
    int height = 0;
};

platform::Bytes make_bmp(const BmpFixture& fixture);

// A small image with a distinct colour at every pixel.
Bitmap make_test_image(int width, int height);

} // namespace launcher::testing
