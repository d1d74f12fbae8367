#include "bmp_fixtures.h"

#include "skin_stream_builder.h"

namespace launcher::testing {

platform::Bytes make_bmp(const BmpFixture& f) {
    const bool indexed = f.bits <= 8;
    const int width = indexed ? f.width : f.image.width();
    const int height = indexed ? f.height : f.image.height();
    const auto row_bytes = static_cast<std::uint32_t>((width * f.bits + 31) / 32 * 4);
    const auto palette_bytes = static_cast<std::uint32_t>(indexed ? f.palette.size() * 4 : 0);
    const std::uint32_t offset = 14 + 40 + palette_bytes;
    const std::uint32_t size = offset + row_bytes * static_cast<std::uint32_t>(height);

    Bytes out{'B', 'M'};
    put_le(out, size, 4);
    put_le(out, 0, 4);
    put_le(out, offset, 4);
    put_le(out, 40, 4);
    put_le(out, static_cast<std::uint32_t>(width), 4);
    put_le(out, static_cast<std::uint32_t>(f.top_down ? -height : height), 4);
    put_le(out, 1, 2);
    put_le(out, static_cast<std::uint64_t>(f.bits), 2);
    put_le(out, 0, 4); // BI_RGB
    put_le(out, row_bytes * static_cast<std::uint32_t>(height), 4);
    put_le(out, 0, 4);
    put_le(out, 0, 4);
    put_le(out, indexed ? f.palette.size() : 0, 4);
    put_le(out, 0, 4);
    for (const std::uint32_t colour : f.palette) {
        put_le(out, colour & 0xFFFFFF, 3);
        out.push_back(0);
    }
    for (int row = 0; row < height; ++row) {
        const int y = f.top_down ? row : height - 1 - row;
        Bytes line(row_bytes, 0);
        for (int x = 0; x < width; ++x) {
            if (indexed) {
                const unsigned index = f.indices.at(static_cast<std::size_t>(y * width + x));
                const unsigned bit = static_cast<unsigned>(x * f.bits);
                line[bit / 8] = static_cast<std::uint8_t>(
                    line[bit / 8] | index << (8 - f.bits - static_cast<int>(bit % 8)));
            } else {
                const std::uint32_t p = f.image.pixel(x, y);
                const auto at = static_cast<std::size_t>(x * f.bits / 8);
                line[at] = static_cast<std::uint8_t>(p);
                line[at + 1] = static_cast<std::uint8_t>(p >> 8);
                line[at + 2] = static_cast<std::uint8_t>(p >> 16);
                if (f.bits == 32)
                    line[at + 3] = static_cast<std::uint8_t>(p >> 24);
            }
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

Bitmap make_test_image(int width, int height) {
    Bitmap image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.set_pixel(x, y,
                            argb(static_cast<std::uint8_t>(x * 40 + 7),
                                 static_cast<std::uint8_t>(y * 50 + 3),
                                 static_cast<std::uint8_t>(x * 11 + y * 13)));
    return image;
}

} // namespace launcher::testing
