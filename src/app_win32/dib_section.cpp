#include "app_win32/dib_section.h"

#include <algorithm>
#include <stdexcept>

namespace launcher::app {

DibSection::DibSection(int width, int height)
    : width_(std::max(width, 1)), height_(std::max(height, 1)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_; // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap_ == nullptr || bits == nullptr)
        throw std::runtime_error("Cannot create a picture of the window's size");
    bits_ = static_cast<std::uint32_t*>(bits);
    dc_ = ::CreateCompatibleDC(nullptr);
    previous_ = ::SelectObject(dc_, bitmap_);
}

DibSection::~DibSection() {
    ::SelectObject(dc_, previous_);
    ::DeleteDC(dc_);
    ::DeleteObject(bitmap_);
}

namespace {

// The part of an image placed at (x, y) that lies inside a width x height
// picture, in the image's own coordinates.
Rect visible_part(const Bitmap& image, int x, int y, int width, int height) {
    return Rect{std::max(0, -x), std::max(0, -y), std::min(image.width(), width - x),
                std::min(image.height(), height - y)};
}

} // namespace

void DibSection::Draw(const Bitmap& image, int x, int y) {
    const Rect part = visible_part(image, x, y, width_, height_);
    if (part.empty())
        return;
    Sync();
    const std::uint32_t* source = image.pixels().data();
    for (int row = part.top; row < part.bottom; ++row)
        std::copy(source + row * image.width() + part.left,
                  source + row * image.width() + part.right,
                  bits_ + (y + row) * width_ + x + part.left);
}

void DibSection::Blend(const Bitmap& image, int x, int y) {
    const Rect part = visible_part(image, x, y, width_, height_);
    if (part.empty())
        return;
    Sync();
    const std::uint32_t* source = image.pixels().data();
    for (int row = part.top; row < part.bottom; ++row) {
        const std::uint32_t* from = source + row * image.width();
        std::uint32_t* to = bits_ + (y + row) * width_ + x;
        for (int column = part.left; column < part.right; ++column) {
            const std::uint32_t over = from[column];
            const std::uint32_t alpha = over >> 24;
            if (alpha == 0)
                continue;
            if (alpha == 0xFF) {
                to[column] = over;
                continue;
            }
            const std::uint32_t under = to[column];
            const auto mix = [alpha](std::uint32_t a, std::uint32_t b) {
                return (a * alpha + b * (255 - alpha) + 127) / 255;
            };
            to[column] = 0xFF000000u | mix(over >> 16 & 0xFF, under >> 16 & 0xFF) << 16 |
                         mix(over >> 8 & 0xFF, under >> 8 & 0xFF) << 8 |
                         mix(over & 0xFF, under & 0xFF);
        }
    }
}

void DibSection::Fill(const Rect& rect, std::uint32_t argb) {
    const Rect part = rect.intersect({0, 0, width_, height_});
    if (part.empty())
        return;
    Sync();
    for (int row = part.top; row < part.bottom; ++row)
        std::fill(bits_ + row * width_ + part.left, bits_ + row * width_ + part.right, argb);
}

} // namespace launcher::app
