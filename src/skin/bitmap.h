#pragma once

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

// Colour helpers for 0xAARRGGBB pixels.
constexpr std::uint32_t argb(std::uint8_t r, std::uint8_t g, std::uint8_t b,
                             std::uint8_t a = 0xFF) {
    return static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(r) << 16 |
           static_cast<std::uint32_t>(g) << 8 | b;
}

} // namespace launcher
