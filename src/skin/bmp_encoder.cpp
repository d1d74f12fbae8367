#include "skin/bmp_encoder.h"

namespace launcher {
namespace {

void put_u16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put_u16(out, v & 0xFFFF);
    put_u16(out, v >> 16);
}

} // namespace

std::vector<std::uint8_t> encode_bmp_24(const Bitmap& image) {
    const auto width = static_cast<std::uint32_t>(image.width());
    const auto height = static_cast<std::uint32_t>(image.height());
    const std::uint32_t row_bytes = (width * 3 + 3) / 4 * 4;
    const std::uint32_t pixel_offset = 14 + 40;
    const std::uint32_t pixel_bytes = row_bytes * height;

    std::vector<std::uint8_t> out;
    out.reserve(pixel_offset + pixel_bytes);
    out.push_back('B');
    out.push_back('M');
    put_u32(out, pixel_offset + pixel_bytes);
    put_u32(out, 0); // reserved
    put_u32(out, pixel_offset);
    put_u32(out, 40);
    put_u32(out, width);
    put_u32(out, height); // positive: rows stored bottom-up
    put_u16(out, 1);      // planes
    put_u16(out, 24);     // bits per pixel
    put_u32(out, 0);      // BI_RGB
    put_u32(out, pixel_bytes);
    put_u32(out, 2835); // 72 dpi
    put_u32(out, 2835);
    put_u32(out, 0); // colours used
    put_u32(out, 0); // important colours

    for (std::uint32_t row = 0; row < height; ++row) {
        const int y = static_cast<int>(height - 1 - row);
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t p = image.pixel(static_cast<int>(x), y);
            out.push_back(static_cast<std::uint8_t>(p));
            out.push_back(static_cast<std::uint8_t>(p >> 8));
            out.push_back(static_cast<std::uint8_t>(p >> 16));
        }
        for (std::uint32_t pad = width * 3; pad < row_bytes; ++pad)
            out.push_back(0);
    }
    return out;
}

} // namespace launcher
