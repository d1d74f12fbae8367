#include "skin/bmp_header.h"

#include <bit>

namespace launcher {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
// A 40-byte header of a BI_BITFIELDS image is followed by three masks.
constexpr std::size_t kMaskFieldsSize = 12;
// Besides each side, the whole picture is bounded: 256 MiB of pixels.
constexpr std::int64_t kMaxBmpPixels = std::int64_t{1} << 26;

std::uint32_t u16_at(std::span<const std::uint8_t> d, std::size_t at) {
    return static_cast<std::uint32_t>(d[at] | d[at + 1] << 8);
}
std::uint32_t u32_at(std::span<const std::uint8_t> d, std::size_t at) {
    return static_cast<std::uint32_t>(d[at]) | static_cast<std::uint32_t>(d[at + 1]) << 8 |
           static_cast<std::uint32_t>(d[at + 2]) << 16 |
           static_cast<std::uint32_t>(d[at + 3]) << 24;
}

std::string num(std::uint64_t value) {
    return std::to_string(value);
}

std::string hex(std::uint32_t value) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4)
        text += digits[(value >> shift) & 0xF];
    return text;
}

bool known_header_size(std::uint32_t size) {
    return size == 12 || size == 40 || size == 56 || size == 108 || size == 124;
}

// One unbroken run of bits, at most 8 wide (the stored colour channels are
// bytes).
void check_mask(std::uint32_t mask, const char* channel, std::uint32_t bits) {
    if (mask == 0)
        FailBmp(std::string("the ") + channel + " bit-field mask is 0");
    if (bits < 32 && (mask >> bits) != 0)
        FailBmp(std::string("the ") + channel + " bit-field mask " + hex(mask) +
                " does not fit into " + num(bits) + " bits per pixel");
    const std::uint32_t run = mask >> std::countr_zero(mask);
    if ((run & (run + 1)) != 0)
        FailBmp(std::string("the ") + channel + " bit-field mask " + hex(mask) +
                " is not one run of bits");
    if (std::popcount(mask) > 8)
        FailBmp(std::string("the ") + channel + " bit-field mask " + hex(mask) +
                " is wider than 8 bits, which is not supported");
}

void read_masks(std::span<const std::uint8_t> file, BmpHeader& h) {
    if (h.bits != 16 && h.bits != 32)
        return;
    if (h.compression == BmpCompression::Rgb) {
        h.masks =
            h.bits == 16 ? BmpMasks{0x7C00, 0x03E0, 0x001F} : BmpMasks{0xFF0000, 0xFF00, 0xFF};
    } else {
        // The masks follow a 40-byte header; larger headers hold them.
        const std::size_t at = kFileHeaderSize + 40;
        h.masks.red = u32_at(file, at);
        h.masks.green = u32_at(file, at + 4);
        h.masks.blue = u32_at(file, at + 8);
        check_mask(h.masks.red, "red", h.bits);
        check_mask(h.masks.green, "green", h.bits);
        check_mask(h.masks.blue, "blue", h.bits);
        if ((h.masks.red & h.masks.green) || (h.masks.red & h.masks.blue) ||
            (h.masks.green & h.masks.blue))
            FailBmp("the colour bit-field masks overlap");
    }
    // Only a header with an alpha mask field gives pixels an opacity.
    if (h.header_size < 56)
        return;
    const std::uint32_t alpha = u32_at(file, kFileHeaderSize + 52);
    const std::uint32_t colours = h.masks.red | h.masks.green | h.masks.blue;
    if (alpha == 0)
        return;
    if (h.compression == BmpCompression::Rgb) {
        // Plain rows fix where the colours lie: the mask counts only when it
        // names the bits they leave free, and is ignored otherwise.
        const std::uint32_t free_bits = (h.bits == 32 ? 0xFFFFFFFFu : 0xFFFFu) & ~colours;
        if (alpha != free_bits)
            return;
    } else {
        check_mask(alpha, "alpha", h.bits);
        if (alpha & colours)
            FailBmp("the alpha bit-field mask " + hex(alpha) + " overlaps the colour masks");
    }
    h.masks.alpha = alpha;
    h.has_alpha = true;
}

void check_compression(BmpHeader& h, std::uint32_t code) {
    switch (code) {
    case 0:
        h.compression = BmpCompression::Rgb;
        return;
    case 1:
    case 2:
        h.compression = code == 1 ? BmpCompression::Rle8 : BmpCompression::Rle4;
        if (h.bits != (code == 1 ? 8u : 4u))
            FailBmp(std::string("run-length compression ") + (code == 1 ? "RLE8" : "RLE4") +
                    " needs " + (code == 1 ? "8" : "4") + " bits per pixel, the header says " +
                    num(h.bits));
        if (h.top_down)
            FailBmp("a run-length compressed image cannot be stored top-down");
        return;
    case 3:
        h.compression = BmpCompression::BitFields;
        if (h.bits != 16 && h.bits != 32)
            FailBmp("bit-field masks need 16 or 32 bits per pixel, the header says " + num(h.bits));
        if (h.header_size == 12)
            FailBmp("bit-field masks need an info header of 40 bytes or more");
        return;
    case 4:
    case 5:
        FailBmp("compression " + num(code) + " (a JPEG or PNG image inside) is not supported");
    default:
        FailBmp("compression " + num(code) + " is not supported");
    }
}

void read_dimensions(std::span<const std::uint8_t> file, BmpHeader& h) {
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t planes = 0;
    if (h.header_size == 12) {
        width = u16_at(file, 18);
        height = u16_at(file, 20);
        planes = u16_at(file, 22);
        h.bits = u16_at(file, 24);
    } else {
        width = static_cast<std::int32_t>(u32_at(file, 18));
        height = static_cast<std::int32_t>(u32_at(file, 22));
        planes = u16_at(file, 26);
        h.bits = u16_at(file, 28);
    }
    if (planes != 1)
        FailBmp("the plane count is " + num(planes) + ", not 1");
    if (width <= 0)
        FailBmp("the width " + std::to_string(width) + " is not positive");
    if (height == 0)
        FailBmp("the height is 0");
    h.top_down = height < 0;
    height = height < 0 ? -height : height;
    if (width > kMaxBmpSide || height > kMaxBmpSide)
        FailBmp(num(static_cast<std::uint64_t>(width)) + " x " +
                num(static_cast<std::uint64_t>(height)) + " pixels is beyond the limit of " +
                num(kMaxBmpSide) + " pixels a side");
    if (width * height > kMaxBmpPixels)
        FailBmp(num(static_cast<std::uint64_t>(width)) + " x " +
                num(static_cast<std::uint64_t>(height)) + " pixels is more than the " +
                num(kMaxBmpPixels) + " pixels an image may have");
    h.width = static_cast<std::int32_t>(width);
    h.height = static_cast<std::int32_t>(height);
    const auto b = h.bits;
    if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32)
        FailBmp(num(b) + " bits per pixel is not a BMP bit depth");
    if (h.header_size == 12 && (b == 16 || b == 32))
        FailBmp(num(b) + " bits per pixel need an info header of 40 bytes or more");
}

void read_palette(std::size_t headers_end, std::uint32_t colours_used, BmpHeader& h) {
    if (!h.indexed())
        return; // a colour table in a truecolour file is allowed and never used
    h.palette_entry_size = h.header_size == 12 ? 3 : 4;
    h.palette_offset = headers_end;
    const std::uint32_t most = 1u << h.bits;
    if (colours_used > most)
        FailBmp("the header names " + num(colours_used) + " palette colours, more than " +
                num(h.bits) + " bits per pixel can index (" + num(most) + ")");
    const std::size_t room = (h.pixel_offset - headers_end) / h.palette_entry_size;
    if (colours_used != 0 && colours_used > room)
        FailBmp("the palette of " + num(colours_used) +
                " colours runs into the pixel data at offset " + num(h.pixel_offset));
    // Without a count the table holds what fits before the pixel data.
    h.palette_entries = colours_used != 0
                            ? colours_used
                            : static_cast<std::uint32_t>(std::min<std::size_t>(room, most));
}

void read_pixel_extent(std::span<const std::uint8_t> file, std::uint32_t image_size_field,
                       BmpHeader& h) {
    const std::size_t available = file.size() - h.pixel_offset;
    const auto width = static_cast<std::uint64_t>(h.width);
    const auto height = static_cast<std::uint64_t>(h.height);
    if (h.run_length()) {
        if (image_size_field > available)
            FailBmp("the image-size field says " + num(image_size_field) +
                    " bytes of run-length data, but the file holds only " + num(available) +
                    " from offset " + num(h.pixel_offset));
        h.pixel_size = image_size_field != 0 ? image_size_field : available;
        return;
    }
    h.row_bytes = static_cast<std::size_t>((width * h.bits + 31) / 32 * 4);
    const std::uint64_t needed = h.row_bytes * height;
    const std::string pixels_at_depth =
        num(width) + " x " + num(height) + " pixels at " + num(h.bits) + " bits per pixel";
    if (needed > available)
        FailBmp(pixels_at_depth + " take " + num(needed) +
                " bytes of pixel data, but the file holds only " + num(available) +
                " from offset " + num(h.pixel_offset));
    // The field may leave out the padding of the rows or add a little to the
    // end, but a size a row or more away from the rows' belongs to another
    // bit depth.
    const std::uint64_t unpadded = width * height * h.bits / 8;
    if (image_size_field != 0 &&
        (image_size_field < unpadded || image_size_field >= needed + h.row_bytes))
        FailBmp("the image-size field says " + num(image_size_field) + " bytes, but " +
                pixels_at_depth + " take " + num(needed));
    h.pixel_size = static_cast<std::size_t>(needed);
}

} // namespace

void FailBmp(const std::string& reason) {
    throw InvalidImageError("Invalid BMP image: " + reason);
}

BmpHeader ReadBmpHeader(std::span<const std::uint8_t> file) {
    if (file.size() < kFileHeaderSize + 4 || file[0] != 'B' || file[1] != 'M')
        FailBmp("the file does not begin with a \"BM\" file header");
    BmpHeader h;
    const std::uint32_t file_size_field = u32_at(file, 2);
    const std::uint32_t pixel_offset_field = u32_at(file, 10);
    h.header_size = u32_at(file, 14);
    if (!known_header_size(h.header_size))
        FailBmp("the info header size " + num(h.header_size) + " is not one of 12, 40, 56, " +
                "108 or 124");
    if (file.size() < kFileHeaderSize + h.header_size)
        FailBmp("the " + num(h.header_size) + "-byte info header is cut off: the file holds " +
                num(file.size()) + " bytes");
    if (file_size_field > file.size())
        FailBmp("the file-size field says " + num(file_size_field) + " bytes, but the file " +
                "holds only " + num(file.size()));

    read_dimensions(file, h);
    std::uint32_t image_size_field = 0;
    std::uint32_t colours_used = 0;
    if (h.header_size != 12) {
        check_compression(h, u32_at(file, 30));
        image_size_field = u32_at(file, 34);
        colours_used = u32_at(file, 46);
    }

    std::size_t headers_end = kFileHeaderSize + h.header_size;
    if (h.compression == BmpCompression::BitFields && h.header_size == 40) {
        headers_end += kMaskFieldsSize;
        if (file.size() < headers_end)
            FailBmp("the bit-field masks after the info header are cut off");
    }
    if (pixel_offset_field < headers_end)
        FailBmp("the pixel data offset " + num(pixel_offset_field) +
                " lies inside the headers, which end at " + num(headers_end));
    if (pixel_offset_field > file.size())
        FailBmp("the pixel data offset " + num(pixel_offset_field) +
                " lies beyond the end of the file (" + num(file.size()) + " bytes)");
    h.pixel_offset = pixel_offset_field;

    read_masks(file, h);
    read_palette(headers_end, colours_used, h);
    read_pixel_extent(file, image_size_field, h);
    return h;
}

} // namespace launcher
