#include "bmp_fixtures.h"

#include "skin_stream_builder.h"

#include <bit>

namespace launcher::testing {
namespace {

std::uint32_t pack_channel(std::uint8_t value, std::uint32_t mask) {
    if (mask == 0)
        return 0;
    const int width = std::popcount(mask);
    return (static_cast<std::uint32_t>(value) >> (8 - width)) << std::countr_zero(mask);
}

std::uint32_t pack(std::uint32_t pixel, const BmpMasks& m) {
    return pack_channel(static_cast<std::uint8_t>(pixel >> 16), m.red) |
           pack_channel(static_cast<std::uint8_t>(pixel >> 8), m.green) |
           pack_channel(static_cast<std::uint8_t>(pixel), m.blue) |
           pack_channel(static_cast<std::uint8_t>(pixel >> 24), m.alpha);
}

Bytes pixel_rows(const BmpFixture& f, int width, int height) {
    const auto row_bytes = static_cast<std::size_t>((width * f.bits + 31) / 32 * 4);
    const BmpMasks masks = packing_masks(f);
    Bytes out;
    for (int row = 0; row < height; ++row) {
        const int y = f.top_down ? row : height - 1 - row;
        Bytes line(row_bytes, 0);
        for (int x = 0; x < width; ++x) {
            if (f.bits <= 8) {
                const unsigned index = f.indices.at(static_cast<std::size_t>(y * width + x));
                const auto bit = static_cast<unsigned>(x * f.bits);
                line[bit / 8] = static_cast<std::uint8_t>(
                    line[bit / 8] | index << (8 - f.bits - static_cast<int>(bit % 8)));
                continue;
            }
            const std::uint32_t p = f.image.pixel(x, y);
            const auto at = static_cast<std::size_t>(x * f.bits / 8);
            const std::uint32_t value = f.bits == 24 ? p : pack(p, masks);
            for (int i = 0; i < f.bits / 8; ++i)
                line[at + static_cast<std::size_t>(i)] =
                    static_cast<std::uint8_t>(value >> (8 * i));
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

} // namespace

BmpMasks packing_masks(const BmpFixture& f) {
    const BmpMasks& m = f.masks;
    if (m.red || m.green || m.blue || m.alpha)
        return m;
    if (f.bits == 16)
        return {0x7C00, 0x03E0, 0x001F, 0x8000};
    return {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
}

std::uint8_t quantised(std::uint8_t channel, int bits) {
    if (bits >= 8)
        return channel;
    if (bits <= 0)
        return 0;
    unsigned kept = static_cast<unsigned>(channel) >> (8 - bits);
    unsigned widened = 0;
    for (int filled = 0; filled < 8; filled += bits)
        widened = widened << bits | kept;
    const int total = (8 + bits - 1) / bits * bits;
    return static_cast<std::uint8_t>(widened >> (total - 8));
}

platform::Bytes make_bmp(const BmpFixture& f) {
    const bool from_image = f.bits > 8;
    const int width = from_image ? f.image.width() : f.width;
    const int height = from_image ? f.image.height() : f.height;
    const bool run_length = f.compression == 1 || f.compression == 2;
    const Bytes pixels = run_length ? f.run_length_codes : pixel_rows(f, width, height);
    const BmpMasks masks = packing_masks(f);

    Bytes info;
    const auto header_size = static_cast<std::uint32_t>(f.header_size);
    put_le(info, header_size, 4);
    if (f.header_size == 12) {
        put_le(info, static_cast<std::uint32_t>(f.width_field.value_or(width)), 2);
        put_le(info, static_cast<std::uint32_t>(f.height_field.value_or(height)), 2);
        put_le(info, 1, 2);
        put_le(info, f.bits_field.value_or(static_cast<std::uint16_t>(f.bits)), 2);
    } else {
        put_le(info, static_cast<std::uint32_t>(f.width_field.value_or(width)), 4);
        put_le(info,
               static_cast<std::uint32_t>(f.height_field.value_or(f.top_down ? -height : height)),
               4);
        put_le(info, 1, 2);
        put_le(info, f.bits_field.value_or(static_cast<std::uint16_t>(f.bits)), 2);
        put_le(info, f.compression, 4);
        put_le(info, f.image_size_field.value_or(static_cast<std::uint32_t>(pixels.size())), 4);
        put_le(info, 2835, 4);
        put_le(info, 2835, 4);
        put_le(info, f.colours_used_field.value_or(static_cast<std::uint32_t>(f.palette.size())),
               4);
        put_le(info, 0, 4);
        if (f.header_size >= 56) {
            put_le(info, masks.red, 4);
            put_le(info, masks.green, 4);
            put_le(info, masks.blue, 4);
            put_le(info, f.alpha_mask_field, 4);
        }
        if (f.header_size >= 108) {
            put_le(info, 0x73524742, 4); // colour space "sRGB"
            info.resize(info.size() + 48, 0);
        }
        if (f.header_size >= 124) {
            put_le(info, 4, 4); // rendering intent
            info.resize(info.size() + 12, 0);
        }
        if (f.header_size == 40 && f.compression == 3) {
            put_le(info, masks.red, 4);
            put_le(info, masks.green, 4);
            put_le(info, masks.blue, 4);
        }
    }
    Bytes palette;
    for (const std::uint32_t colour : f.palette) {
        put_le(palette, colour & 0xFFFFFF, 3);
        if (f.header_size != 12)
            palette.push_back(0);
    }
    const auto offset = static_cast<std::uint32_t>(14 + info.size() + palette.size() + f.gap);
    const auto size = static_cast<std::uint32_t>(offset + pixels.size());

    Bytes out{'B', 'M'};
    put_le(out, f.file_size_field.value_or(size), 4);
    put_le(out, 0, 4);
    put_le(out, offset, 4);
    out.insert(out.end(), info.begin(), info.end());
    out.insert(out.end(), palette.begin(), palette.end());
    out.insert(out.end(), f.gap, 0xEE);
    out.insert(out.end(), pixels.begin(), pixels.end());
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
