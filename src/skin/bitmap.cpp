#include "skin/bitmap.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace launcher {
namespace {

// A coordinate range [first, last) clamped to [0, size).
struct Span {
    std::int64_t first;
    std::int64_t last;
};

Span clamp_span(std::int64_t first, std::int64_t last, std::int64_t size) {
    return {std::clamp<std::int64_t>(first, 0, size), std::clamp<std::int64_t>(last, 0, size)};
}

// x / y rounded to the nearest integer, halves away from zero; y > 0.
std::int64_t divide_rounded(std::int64_t x, std::int64_t y) {
    return x >= 0 ? (2 * x + y) / (2 * y) : -((-2 * x + y) / (2 * y));
}

std::uint8_t channel(std::uint32_t pixel, int shift) {
    return static_cast<std::uint8_t>(pixel >> shift);
}

std::uint32_t source_over(std::uint32_t top, std::uint32_t bottom) {
    const std::uint32_t alpha = top >> 24;
    if (alpha == 0xFF)
        return top;
    if (alpha == 0)
        return bottom;
    const std::uint32_t bottom_alpha = bottom >> 24;
    const std::uint32_t out_alpha = alpha + bottom_alpha * (255 - alpha) / 255;
    auto mix = [&](int shift) {
        const std::uint32_t t = channel(top, shift) * alpha;
        const std::uint32_t b = channel(bottom, shift) * bottom_alpha * (255 - alpha) / 255;
        return static_cast<std::uint8_t>(out_alpha == 0 ? 0 : (t + b) / out_alpha);
    };
    return argb(mix(16), mix(8), mix(0), static_cast<std::uint8_t>(out_alpha));
}

} // namespace

Bitmap WithoutAlpha(Bitmap image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.set_pixel(x, y, image.pixel(x, y) | 0xFF000000u);
    return image;
}

void Bitmap::fill(std::uint32_t argb_value) {
    std::fill(pixels_.begin(), pixels_.end(), argb_value);
}

void Bitmap::fill_rect(const Rect& rect, std::uint32_t argb_value) {
    const Rect clipped = rect.intersect(bounds());
    for (std::int32_t y = clipped.top; y < clipped.bottom; ++y)
        for (std::int32_t x = clipped.left; x < clipped.right; ++x)
            pixels_[index(x, y)] = argb_value;
}

void Bitmap::draw_line(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                       std::uint32_t pen) {
    // Ends far outside any image are pulled in so the products below stay in
    // 64 bits; only lines longer than half a billion pixels change their slope.
    constexpr std::int64_t reach = std::int64_t{1} << 29;
    x0 = std::clamp(x0, -reach, reach);
    y0 = std::clamp(y0, -reach, reach);
    x1 = std::clamp(x1, -reach, reach);
    y1 = std::clamp(y1, -reach, reach);
    const std::int64_t dx = x1 - x0;
    const std::int64_t dy = y1 - y0;
    if (dx == 0 && dy == 0)
        return;
    // Walk the longer axis over the part that falls into the image and put
    // the other coordinate on the nearest pixel of the ideal line.
    if (std::llabs(dx) >= std::llabs(dy)) {
        const std::int64_t step = dx > 0 ? 1 : -1;
        const Span span = dx > 0 ? clamp_span(x0, x1, width_) : clamp_span(x1 + 1, x0 + 1, width_);
        for (std::int64_t x = span.first; x < span.last; ++x) {
            const std::int64_t y = y0 + divide_rounded((x - x0) * step * dy, dx * step);
            if (contains(x, y))
                pixels_[index(static_cast<int>(x), static_cast<int>(y))] = pen;
        }
    } else {
        const std::int64_t step = dy > 0 ? 1 : -1;
        const Span span =
            dy > 0 ? clamp_span(y0, y1, height_) : clamp_span(y1 + 1, y0 + 1, height_);
        for (std::int64_t y = span.first; y < span.last; ++y) {
            const std::int64_t x = x0 + divide_rounded((y - y0) * step * dx, dy * step);
            if (contains(x, y))
                pixels_[index(static_cast<int>(x), static_cast<int>(y))] = pen;
        }
    }
}

void Bitmap::draw_frame(const Rect& rect, std::uint32_t pen) {
    if (rect.empty())
        return;
    const std::int64_t right = std::int64_t{rect.right} - 1;
    const std::int64_t bottom = std::int64_t{rect.bottom} - 1;
    draw_line(rect.left, rect.top, rect.right, rect.top, pen);
    draw_line(rect.left, bottom, rect.right, bottom, pen);
    draw_line(rect.left, rect.top, rect.left, rect.bottom, pen);
    draw_line(right, rect.top, right, rect.bottom, pen);
}

void Bitmap::copy_rect(const Bitmap& source, const Rect& rect) {
    const Rect clipped = rect.intersect(bounds()).intersect(source.bounds());
    for (std::int32_t y = clipped.top; y < clipped.bottom; ++y)
        for (std::int32_t x = clipped.left; x < clipped.right; ++x)
            pixels_[index(x, y)] = source.pixels_[source.index(x, y)];
}

namespace {

// Calls put(target_x, target_y, source_x, source_y) for every pixel of an
// image of the given size placed at (x, y) that lands inside the target.
template <typename Put>
void for_each_placed(const Bitmap& target, const Bitmap& image, std::int64_t x, std::int64_t y,
                     Put put) {
    const Span columns = clamp_span(x, x + image.width(), target.width());
    const Span rows = clamp_span(y, y + image.height(), target.height());
    for (std::int64_t ty = rows.first; ty < rows.last; ++ty)
        for (std::int64_t tx = columns.first; tx < columns.last; ++tx)
            put(static_cast<int>(tx), static_cast<int>(ty), static_cast<int>(tx - x),
                static_cast<int>(ty - y));
}

} // namespace

void Bitmap::draw(const Bitmap& image, std::int64_t x, std::int64_t y) {
    for_each_placed(*this, image, x, y, [&](int tx, int ty, int sx, int sy) {
        pixels_[index(tx, ty)] = image.pixels_[image.index(sx, sy)];
    });
}

void Bitmap::blend(const Bitmap& image, std::int64_t x, std::int64_t y) {
    for_each_placed(*this, image, x, y, [&](int tx, int ty, int sx, int sy) {
        auto& target = pixels_[index(tx, ty)];
        target = source_over(image.pixels_[image.index(sx, sy)], target);
    });
}

std::uint32_t MeanColor(const Bitmap& image, const Rect& area) {
    const Rect inside = area.intersect(image.bounds());
    std::uint64_t red = 0, green = 0, blue = 0, count = 0;
    for (int y = inside.top; y < inside.bottom; ++y)
        for (int x = inside.left; x < inside.right; ++x, ++count) {
            const std::uint32_t pixel = image.pixel(x, y);
            red += pixel >> 16 & 0xFF;
            green += pixel >> 8 & 0xFF;
            blue += pixel & 0xFF;
        }
    if (count == 0)
        return argb(0, 0, 0);
    return argb(static_cast<std::uint8_t>(red / count), static_cast<std::uint8_t>(green / count),
                static_cast<std::uint8_t>(blue / count));
}

std::uint32_t MixColors(std::uint32_t a, std::uint32_t b, double part) {
    const auto mix = [part](std::uint32_t x, std::uint32_t y) {
        const double from = static_cast<double>(x & 0xFF);
        const double to = static_cast<double>(y & 0xFF);
        return static_cast<std::uint8_t>(std::lround(from + (to - from) * part));
    };
    return argb(mix(a >> 16, b >> 16), mix(a >> 8, b >> 8), mix(a, b));
}

} // namespace launcher
