#pragma once

#include "platform/files.h"
#include "skin/bitmap.h"
#include "skin/bmp_header.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace launcher::testing {

// Writes BMP files in every layout a publisher's Windows tools produce, and
// in damaged ones, so the decoder can be checked against each of them.
struct BmpFixture {
    int bits = 24;                 // 1, 4, 8, 16, 24 or 32
    bool top_down = false;         // negative height
    int header_size = 40;          // 12, 40, 56, 108 or 124
    std::uint32_t compression = 0; // 0 BI_RGB, 1 RLE8, 2 RLE4, 3 BI_BITFIELDS
    // For 16 and 32 bits: where each channel of a pixel goes. All zero means
    // the plain layout (5-5-5 or 8-8-8) with the pixel's alpha in the bits
    // left over (bit 15, or the fourth byte). Written to the file for
    // BI_BITFIELDS (red, green, blue).
    BmpMasks masks;
    // The alpha mask field of a 56-, 108- or 124-byte header.
    std::uint32_t alpha_mask_field = 0;
    // The colour table (0xAARRGGBB, alpha ignored), written for any depth.
    std::vector<std::uint32_t> palette;
    // For 1, 4 and 8 bits: one index per pixel, rows from the top.
    std::vector<std::uint8_t> indices;
    // For RLE8 and RLE4: the codes as stored.
    std::vector<std::uint8_t> run_length_codes;
    // For 16, 24 and 32 bits: the pixels.
    Bitmap image;
    int width = 0; // for indexed and run-length images
    int height = 0;
    // Bytes of 0xEE between the colour table and the pixel data.
    std::size_t gap = 0;
    // Header fields as a damaged file has them; by default the true values.
    std::optional<std::uint32_t> file_size_field;
    std::optional<std::uint32_t> image_size_field;
    std::optional<std::uint32_t> colours_used_field;
    std::optional<std::int32_t> width_field;
    std::optional<std::int32_t> height_field;
    std::optional<std::uint16_t> bits_field;
};

platform::Bytes make_bmp(const BmpFixture& fixture);

// The masks `make_bmp` packs the pixels of the fixture with.
BmpMasks packing_masks(const BmpFixture& fixture);

// A channel of 8 bits kept to the `bits` a mask of that width stores, then
// widened back by repeating its bits, as the decoder does.
std::uint8_t quantised(std::uint8_t channel, int bits);

// A small image with a distinct colour at every pixel.
Bitmap make_test_image(int width, int height);

} // namespace launcher::testing
