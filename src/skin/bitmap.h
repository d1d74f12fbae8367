#pragma once

#include "skin/geometry.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace launcher {

// A toolkit-free 32-bit image: rows from the top, pixels as 0xAARRGGBB.
// The skin keeps its images in this form; the GUI converts them for painting.
class Bitmap {
public:
    Bitmap() = default;
    // A width x height image filled with `fill`.
    Bitmap(int width, int height, std::uint32_t fill = 0xFF000000u)
        : width_(width > 0 && height > 0 ? width : 0),
          height_(width > 0 && height > 0 ? height : 0),
          pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill) {}

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return pixels_.empty(); }

    std::uint32_t pixel(int x, int y) const { return pixels_.at(index(x, y)); }
    void set_pixel(int x, int y, std::uint32_t argb) { pixels_.at(index(x, y)) = argb; }

    const std::vector<std::uint32_t>& pixels() const { return pixels_; }

    bool contains(std::int64_t x, std::int64_t y) const {
        return x >= 0 && y >= 0 && x < width_ && y < height_;
    }
    Rect bounds() const { return {0, 0, width_, height_}; }

    // Drawing. Everything is clipped to the image: parts outside it are
    // dropped, never an error.

    void fill(std::uint32_t argb);
    void fill_rect(const Rect& rect, std::uint32_t argb);
    // The pixels from (x0, y0) up to, but not including, (x1, y1), one pixel
    // wide. Coordinates may lie far outside the image.
    void draw_line(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                   std::uint32_t pen);
    // The outermost rows and columns of `rect`, inside it, without filling it.
    void draw_frame(const Rect& rect, std::uint32_t pen);
    // Copies the pixels of `source` inside `rect` onto the same rectangle here.
    void copy_rect(const Bitmap& source, const Rect& rect);
    // Draws `image` unscaled and opaque with its top-left corner at (x, y).
    void draw(const Bitmap& image, std::int64_t x, std::int64_t y);
    // Like draw, but lays `image` over this one by its alpha (source over).
    void blend(const Bitmap& image, std::int64_t x, std::int64_t y);

    friend bool operator==(const Bitmap&, const Bitmap&) = default;

private:
    std::size_t index(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            throw std::out_of_range("Bitmap pixel outside the image");
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x);
    }

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

// The image with every pixel opaque and its colours as stored. A window's
// background is not see-through (only its outline shapes it), so the
// launcher and the preview both show a background without its alpha.
Bitmap WithoutAlpha(Bitmap image);

// The average colour of the image inside `area` of it, opaque; black when
// the area holds none of its pixels.
std::uint32_t MeanColor(const Bitmap& image, const Rect& area);

// Colour `a` with the share `part` (0 to 1) of colour `b` mixed in, opaque.
std::uint32_t MixColors(std::uint32_t a, std::uint32_t b, double part);

// Colour helpers for 0xAARRGGBB pixels.
constexpr std::uint32_t argb(std::uint8_t r, std::uint8_t g, std::uint8_t b,
                             std::uint8_t a = 0xFF) {
    return static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(r) << 16 |
           static_cast<std::uint32_t>(g) << 8 | b;
}

// Skin colours are 0x00BBGGRR (red in the low byte); only the low 24 bits
// name a colour. These convert them to opaque pixels and back.
constexpr std::uint32_t ArgbFromColorRef(std::uint32_t color) {
    return argb(static_cast<std::uint8_t>(color), static_cast<std::uint8_t>(color >> 8),
                static_cast<std::uint8_t>(color >> 16));
}
constexpr std::uint32_t ColorRefFromArgb(std::uint32_t pixel) {
    return (pixel >> 16 & 0xFF) | (pixel & 0xFF00) | (pixel & 0xFF) << 16;
}

} // namespace launcher
