#include "skin/bmp_decoder.h"

#include "skin/bmp_run_length.h"

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

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kV4HeaderSize = 108;

void put_u32(std::vector<std::uint8_t>& out, std::size_t at, std::size_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The colours of the palette, each index checked against it.
class Palette {
public:
    Palette(std::span<const std::uint8_t> file, const BmpHeader& header) {
        colours_.reserve(header.palette_entries);
        for (std::uint32_t i = 0; i < header.palette_entries; ++i) {
            const auto* e = &file[header.palette_offset + i * header.palette_entry_size];
            colours_.push_back(argb(e[2], e[1], e[0]));
        }
    }

    std::uint32_t colour(unsigned index, int x, int y) const {
        if (index >= colours_.size())
            FailBmp("pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                    ") uses colour index " + std::to_string(index) + ", but the palette holds " +
                    std::to_string(colours_.size()) + " colours");
        return colours_[index];
    }

    // What a pixel the run-length codes never set shows: the first colour,
    // as in a zero-filled image.
    std::uint32_t unset() const { return colours_.empty() ? argb(0, 0, 0) : colours_.front(); }

private:
    std::vector<std::uint32_t> colours_;
};

Bitmap decode_indexed(std::span<const std::uint8_t> file, const BmpHeader& h) {
    const Palette palette(file, h);
    Bitmap image(h.width, h.height);
    const unsigned per_byte = 8 / h.bits;
    const unsigned mask = (1u << h.bits) - 1;
    for (int row = 0; row < h.height; ++row) {
        const int y = h.top_down ? row : h.height - 1 - row;
        const auto* line = &file[h.pixel_offset + static_cast<std::size_t>(row) * h.row_bytes];
        for (int x = 0; x < h.width; ++x) {
            const std::uint8_t byte = line[static_cast<unsigned>(x) / per_byte];
            const unsigned shift = 8 - h.bits * (static_cast<unsigned>(x) % per_byte + 1);
            image.set_pixel(x, y, palette.colour((byte >> shift) & mask, x, y));
        }
    }
    return image;
}

Bitmap decode_run_length(std::span<const std::uint8_t> file, const BmpHeader& h) {
    const Palette palette(file, h);
    const std::vector<std::uint16_t> indexes =
        ExpandRunLength(file.subspan(h.pixel_offset, h.pixel_size), h.width, h.height, h.bits);
    Bitmap image(h.width, h.height);
    std::size_t at = 0;
    for (int y = 0; y < h.height; ++y)
        for (int x = 0; x < h.width; ++x, ++at)
            image.set_pixel(x, y,
                            indexes[at] == kUnsetPixel ? palette.unset()
                                                       : palette.colour(indexes[at], x, y));
    return image;
}

// The file in the one form stb_image reads correctly: the headers (with the
// masks after a 40-byte header) and right after them the pixel rows. A colour
// table or a gap before the pixel data, both legal in a truecolour file, is
// left out, and a 56-byte header is widened to a 108-byte one, whose masks
// stand at the same place.
std::vector<std::uint8_t> stb_readable_copy(std::span<const std::uint8_t> file,
                                            const BmpHeader& h) {
    std::size_t headers_end = kFileHeaderSize + h.header_size;
    if (h.compression == BmpCompression::BitFields && h.header_size == 40)
        headers_end += 12;
    const std::size_t header_size = h.header_size == 56 ? kV4HeaderSize : h.header_size;
    const std::size_t out_headers_end = headers_end - h.header_size + header_size;
    std::vector<std::uint8_t> out(out_headers_end + h.pixel_size, 0);
    std::copy(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(headers_end), out.begin());
    if (header_size != h.header_size) {
        put_u32(out, kFileHeaderSize, header_size);
    }
    if (h.header_size >= 40)
        put_u32(out, kFileHeaderSize + 32, 0); // no colour table
    put_u32(out, 2, out.size());
    put_u32(out, 10, out_headers_end);
    const auto pixels = file.subspan(h.pixel_offset, h.pixel_size);
    std::copy(pixels.begin(), pixels.end(),
              out.begin() + static_cast<std::ptrdiff_t>(out_headers_end));
    return out;
}

struct StbFree {
    void operator()(stbi_uc* p) const { stbi_image_free(p); }
};

// 16, 24 and 32 bits per pixel, with or without bit-field masks.
Bitmap decode_truecolour(std::span<const std::uint8_t> file, const BmpHeader& h) {
    const std::vector<std::uint8_t> readable = stb_readable_copy(file, h);
    int width = 0;
    int height = 0;
    int channels = 0;
    const std::unique_ptr<stbi_uc, StbFree> rgba(stbi_load_from_memory(
        readable.data(), static_cast<int>(readable.size()), &width, &height, &channels, 4));
    if (!rgba)
        FailBmp(stbi_failure_reason() ? stbi_failure_reason() : "undecodable pixel data");
    if (width != h.width || height != h.height)
        FailBmp("the decoded size differs from the header's");
    Bitmap image(width, height);
    const stbi_uc* p = rgba.get();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x, p += 4)
            image.set_pixel(x, y, argb(p[0], p[1], p[2], h.has_alpha ? p[3] : 0xFF));
    return image;
}

} // namespace

Bitmap decode_bmp(std::span<const std::uint8_t> file) {
    const BmpHeader header = ReadBmpHeader(file);
    if (header.run_length())
        return decode_run_length(file, header);
    if (header.indexed())
        return decode_indexed(file, header);
    return decode_truecolour(file, header);
}

} // namespace launcher
