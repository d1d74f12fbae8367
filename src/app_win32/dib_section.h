#pragma once

#include "skin/bitmap.h"

#include <cstdint>
#include <windows.h>

namespace launcher::app {

// A 32-bit top-down DIB section selected into its own memory device context:
// the off-screen picture a window composes before it copies it to the
// screen. Its pixels are 0xAARRGGBB, the layout of the skin's bitmaps, so
// they are drawn straight into it; GDI draws text on the same pixels through
// dc().
class DibSection {
public:
    DibSection(int width, int height);
    ~DibSection();
    DibSection(const DibSection&) = delete;
    DibSection& operator=(const DibSection&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }

    // Finishes GDI's drawing before the pixels are written directly.
    void Sync() const { ::GdiFlush(); }
    // Draws `image` opaque with its top-left corner at (x, y), clipped.
    void Draw(const Bitmap& image, int x, int y);
    // Lays `image` over the picture by its alpha (source over), clipped.
    void Blend(const Bitmap& image, int x, int y);
    void Fill(const Rect& rect, std::uint32_t argb);

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

} // namespace launcher::app
