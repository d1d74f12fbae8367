#pragma once

#include <algorithm>
#include <cstdint>

namespace launcher {

// A rectangle of pixels: left and top inside, right and bottom one past the
// last column and row, as window systems describe them.
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    bool empty() const { return left >= right || top >= bottom; }
    bool contains(std::int32_t x, std::int32_t y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
    std::int64_t width() const { return std::int64_t{right} - left; }
    std::int64_t height() const { return std::int64_t{bottom} - top; }

    // The part that lies in both rectangles (empty when they do not meet).
    Rect intersect(const Rect& other) const {
        return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                std::min(bottom, other.bottom)};
    }

    friend bool operator==(const Rect&, const Rect&) = default;
};

} // namespace launcher
