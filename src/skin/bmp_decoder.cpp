#include "skin/bmp_decoder.h"

#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_THREAD_LOCALS
#include <stb_image.h>

namespace launcher {
namespace {

constexpr std::size_t file_header_size = 14;
// Skins hold window-sized images; anything larger is a damaged header.
constexpr std::int64_t max_dimension = 1 << 15;

std::uint32_t u16_at(std::span<const std::uint8_t> d, std::size_t at) {
    return static_cast<std::uint32_t>(d[at] | d[at + 1] << 8);
}
std::uint32_t u32_at(std::span<const std::uint8_t> d, std::size_t at) {
    return static_cast<std::uint32_t>(d[at]) | static_cast<std::uint32_t>(d[at + 1]) << 8 |
           static_cast<std::uint32_t>(d[at + 2]) << 16 |
           static_cast<std::uint32_t>(d[at + 3]) << 24;
}

[[noreturn]] void fail(const std::string& why) {
    throw InvalidImageError("Invalid BMP image: " + why);
}

// What the headers say, checked against the bytes that are actually there.
struct BmpLayout {
    std::uint32_t header_size = 0;
    std::int64_t width = 0;
    std::int64_t height = 0; // rows; always positive here
    bool top_down = false;
    std::uint32_t bits = 0;
    std::uint32_t compression = 0;
    std::uint32_t colours_used = 0;
    std::uint64_t pixel_offset = 0;
    std::uint64_t row_bytes = 0;
};

BmpLayout read_layout(std::span<const std::uint8_t> file) {
    if (file.size() < file_header_size + 4 || file[0] != 'B' || file[1] != 'M')
        fail("no BMP file header");
    BmpLayout layout;
    layout.pixel_offset = u32_at(file, 10);
    layout.header_size = u32_at(file, 14);
    const std::uint32_t h = layout.header_size;
    if (h != 12 && h != 40 && h != 56 && h != 108 && h != 124)
        fail("unsupported info header size " + std::to_string(h));
    if (file.size() < file_header_size + h)
        fail("truncated info header");

    std::uint32_t planes = 0;
    if (h == 12) {
        layout.width = u16_at(file, 18);
        layout.height = u16_at(file, 20);
        planes = u16_at(file, 22);
        layout.bits = u16_at(file, 24);
    } else {
        layout.width = static_cast<std::int32_t>(u32_at(file, 18));
        layout.height = static_cast<std::int32_t>(u32_at(file, 22));
        planes = u16_at(file, 26);
        layout.bits = u16_at(file, 28);
        layout.compression = u32_at(file, 30);
        layout.colours_used = u32_at(file, 46);
    }
    if (layout.height < 0) {
        layout.top_down = true;
        layout.height = -layout.height;
    }
    if (planes != 1)
        fail("plane count is not 1");
    if (layout.width <= 0 || layout.height <= 0 || layout.width > max_dimension ||
        layout.height > max_dimension)
        fail("bad dimensions");
    const auto b = layout.bits;
    if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32)
        fail("unsupported bit depth " + std::to_string(b));
    if (layout.compression == 1 || layout.compression == 2)
        fail("run-length compression is not supported");
    if (layout.compression != 0 && !(layout.compression == 3 && (b == 16 || b == 32)))
        fail("unsupported compression " + std::to_string(layout.compression));
    if (layout.top_down && layout.compression != 0 && layout.compression != 3)
        fail("top-down image must be uncompressed");

    layout.row_bytes = (static_cast<std::uint64_t>(layout.width) * b + 31) / 32 * 4;
    const std::uint64_t pixel_bytes = layout.row_bytes * static_cast<std::uint64_t>(layout.height);
    if (layout.pixel_offset < file_header_size + h ||
        layout.pixel_offset + pixel_bytes > file.size())
        fail("pixel data missing or truncated");
    return layout;
}

// 1, 4 and 8 bits per pixel: palette indices. Decoded here so that an index
// beyond the stored palette gives a defined colour (black).
Bitmap decode_indexed(std::span<const std::uint8_t> file, const BmpLayout& layout) {
    const std::size_t entry_size = layout.header_size == 12 ? 3 : 4;
    const std::uint32_t max_entries = 1u << layout.bits;
    const std::uint32_t entries = layout.colours_used != 0 ? layout.colours_used : max_entries;
    if (entries > max_entries)
        fail("palette larger than the bit depth allows");
    const std::size_t palette_at = file_header_size + layout.header_size;
    if (palette_at + entries * entry_size > layout.pixel_offset)
        fail("palette overlaps the pixel data");

    std::vector<std::uint32_t> palette(max_entries, argb(0, 0, 0));
    for (std::uint32_t i = 0; i < entries; ++i) {
        const auto* e = &file[palette_at + i * entry_size];
        palette[i] = argb(e[2], e[1], e[0]);
    }

    const int width = static_cast<int>(layout.width);
    const int height = static_cast<int>(layout.height);
    Bitmap image(width, height);
    const unsigned per_byte = 8 / layout.bits;
    const unsigned mask = (1u << layout.bits) - 1;
    for (int row = 0; row < height; ++row) {
        const int y = layout.top_down ? row : height - 1 - row;
        const auto* line = &file[layout.pixel_offset + row * layout.row_bytes];
        for (int x = 0; x < width; ++x) {
            const std::uint8_t byte = line[static_cast<unsigned>(x) / per_byte];
            const unsigned shift = 8 - layout.bits * (static_cast<unsigned>(x) % per_byte + 1);
            image.set_pixel(x, y, palette[(byte >> shift) & mask]);
        }
    }
    return image;
}

struct StbFree {
    void operator()(stbi_uc* p) const { stbi_image_free(p); }
};

// 16, 24 and 32 bits per pixel, with or without bit-field masks.
Bitmap decode_direct(std::span<const std::uint8_t> file) {
    if (file.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        fail("file too large");
    int width = 0;
    int height = 0;
    int channels = 0;
    const std::unique_ptr<stbi_uc, StbFree> rgba(stbi_load_from_memory(
        file.data(), static_cast<int>(file.size()), &width, &height, &channels, 4));
    if (!rgba)
        fail(stbi_failure_reason() ? stbi_failure_reason() : "undecodable");
    Bitmap image(width, height);
    const stbi_uc* p = rgba.get();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x, p += 4)
            image.set_pixel(x, y, argb(p[0], p[1], p[2], p[3]));
    return image;
}

} // namespace

Bitmap decode_bmp(std::span<const std::uint8_t> file) {
    const BmpLayout layout = read_layout(file);
    if (layout.bits <= 8)
        return decode_indexed(file, layout);
    return decode_direct(file);
}

} // namespace launcher
