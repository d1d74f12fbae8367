#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace launcher {

// Raised when bytes that should hold a BMP file do not; the text says what is
// wrong with them.
class InvalidImageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Compression codes of the info header.
enum class BmpCompression : std::uint32_t {
    Rgb = 0,       // BI_RGB: plain rows
    Rle8 = 1,      // BI_RLE8
    Rle4 = 2,      // BI_RLE4
    BitFields = 3, // BI_BITFIELDS: rows of masked 16- or 32-bit values
};

// Images larger than this on either side are taken for a damaged header:
// skins hold window-sized pictures.
inline constexpr std::int64_t kMaxBmpSide = 16384;

struct BmpMasks {
    std::uint32_t red = 0;
    std::uint32_t green = 0;
    std::uint32_t blue = 0;
    std::uint32_t alpha = 0;
};

// What the headers of a BMP file say, checked against the bytes that are
// there: every offset and size below lies inside the file.
struct BmpHeader {
    std::uint32_t header_size = 0; // 12, 40, 56, 108 or 124
    std::int32_t width = 0;
    std::int32_t height = 0; // rows; always positive here
    bool top_down = false;
    std::uint32_t bits = 0;
    BmpCompression compression = BmpCompression::Rgb;
    BmpMasks masks; // for 16 and 32 bits: as stored, or the defaults of BI_RGB
    // The fourth byte (or the masked bits) of a pixel is its opacity: only
    // when a 56-, 108- or 124-byte header gives a non-zero alpha mask. Without
    // one a 32-bit pixel's fourth byte is padding and the image is opaque.
    bool has_alpha = false;

    // The colour table: entries of 4 bytes (3 for the 12-byte header).
    std::size_t palette_offset = 0;
    std::uint32_t palette_entries = 0;
    std::size_t palette_entry_size = 4;

    // Pixel data: rows of row_bytes (uncompressed), or the run-length codes.
    std::size_t pixel_offset = 0;
    std::size_t pixel_size = 0;
    std::size_t row_bytes = 0;

    bool indexed() const { return bits <= 8; }
    bool run_length() const {
        return compression == BmpCompression::Rle8 || compression == BmpCompression::Rle4;
    }
};

// Reads and checks the file header and info header. Throws InvalidImageError
// with the reason for a file that is not a BMP file, a kind this reader does
// not know, or headers that contradict the data: a width or height that is
// not positive or beyond kMaxBmpSide, a file-size field larger than the file,
// a bit depth whose rows need more data than the file holds or than the
// image-size field declares, a colour table that runs into the pixel data.
BmpHeader ReadBmpHeader(std::span<const std::uint8_t> file);

// "Invalid BMP image: " and the reason.
[[noreturn]] void FailBmp(const std::string& reason);

} // namespace launcher
