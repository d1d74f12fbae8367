#include "skin/gradient_progress_bar.h"

#include "skin/rounding.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace launcher {
namespace {

// Border, track start, track end, bar start, bar end of each preset.
using SchemeColors = std::array<TColor, 5>;
constexpr std::array<SchemeColors, 12> scheme_colors = {{
    {0x005680, 0xC6ECFF, 0xFFFFFF, 0x9BDEFF, 0x007BB7}, // csDesert
    {0x156F37, 0xCBF5DC, 0xFFFFFF, 0xC9F5DB, 0x28C162}, // csGrass
    {0x6B6B6B, 0xE0E0E0, 0xFFFFFF, 0xF0F0F0, 0xADADAD}, // csSilver
    {0xB35900, 0xFFEAD5, 0xFFFFFF, 0xFFEEDD, 0xFFAE5E}, // csSky
    {0x00009D, 0xD7D7FF, 0xFFFFFF, 0xE8E8FF, 0x8080FF}, // csRose
    {0x006464, 0xCEFFFF, 0xFFFFFF, 0xDFFFFF, 0x05BCDC}, // csSun
    {0x000000, 0x005500, 0x008000, 0x91ECAE, 0x00AA00}, // csHackers
    {0x000000, 0x804000, 0xA85400, 0xFFCB97, 0xEC7600}, // csNight
    {0x000000, 0x000059, 0x46468C, 0x9F9FF2, 0x4848BB}, // csVelvet
    {0x000000, 0x464646, 0x6F6F6F, 0xCECECE, 0x737373}, // csMetal
    {0x000000, 0x800040, 0xCA0065, 0xFFB7DB, 0xFF3399}, // csViolet
    {0x000000, 0x2C5656, 0x3E7B7B, 0xBCDEDE, 0x468E8E}, // csToxic
}};

// Sets the pen to the colour at (x, y) and draws the line; a point outside
// a tiny control has no colour to take, so nothing is drawn then.
void line_in_colour_of(Bitmap& canvas, int x, int y, std::int64_t x0, std::int64_t y0,
                       std::int64_t x1, std::int64_t y1) {
    if (canvas.contains(x, y))
        canvas.draw_line(x0, y0, x1, y1, canvas.pixel(x, y));
}

// Keeps a bar edge where drawing it clipped gives the same pixels as the
// unclipped edge, so rectangle coordinates stay 32-bit.
std::int32_t clamp_edge(std::int64_t edge, int size) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(edge, -1, std::int64_t{size} + 1));
}

} // namespace

TGradientProgressBar::TGradientProgressBar() {
    SetColorScheme(TColorScheme::csDesert);
}

void TGradientProgressBar::SetColor(int index, TColor color) {
    int slot = 0;
    switch (index) {
    case 0:
        slot = 0;
        break;
    case 10:
        slot = 1;
        break;
    case 11:
        slot = 2;
        break;
    case 20:
        slot = 3;
        break;
    case 21:
        slot = 4;
        break;
    default:
        return;
    }
    colors_[slot] = color;
    scheme_ = TColorScheme::csCustom;
    Invalidate();
}

void TGradientProgressBar::SetColorScheme(TColorScheme scheme) {
    scheme_ = scheme;
    const int value = static_cast<int>(scheme);
    if (value >= 1 && value <= static_cast<int>(scheme_colors.size()))
        std::copy(scheme_colors[value - 1].begin(), scheme_colors[value - 1].end(), colors_);
    Invalidate();
}

void TGradientProgressBar::DrawGradient(Bitmap& canvas, const Rect& rect, int direction, TColor a,
                                        TColor b) {
    const std::int64_t L = rect.left, T = rect.top, R = rect.right, B = rect.bottom;
    std::int64_t n = 0;
    switch (direction) {
    case 1:
        n = B - T;
        break;
    case 2:
        n = (B - T) + (R - L);
        break;
    default:
        n = R - L;
        break;
    }
    if (n <= 0 || direction < 0 || direction > 2)
        return;

    double channel[3];
    double increment[3];
    for (int c = 0; c < 3; ++c) {
        const int shift = 8 * c; // red, green, blue bytes of 0x00BBGGRR
        channel[c] = static_cast<double>(a >> shift & 0xFF);
        increment[c] =
            (static_cast<double>(b >> shift & 0xFF) - channel[c]) / static_cast<double>(n);
    }
    // Lines past the canvas leave no trace; stop there rather than walk a
    // huge rectangle for nothing.
    const std::int64_t last = direction == 0   ? std::min<std::int64_t>(n, canvas.width())
                              : direction == 1 ? std::min<std::int64_t>(n, canvas.height())
                                               : n;
    for (std::int64_t i = 0; i <= last; ++i) {
        const auto byte = [&](int c) {
            return static_cast<std::uint8_t>(RoundHalfEven(channel[c]));
        };
        const std::uint32_t pen = argb(byte(0), byte(1), byte(2));
        switch (direction) {
        case 0:
            canvas.draw_line(i, T, i, T + B, pen);
            break;
        case 1:
            canvas.draw_line(L, i, L + R, i, pen);
            break;
        default:
            canvas.draw_line(i, T, L, i, pen);
            break;
        }
        for (int c = 0; c < 3; ++c)
            channel[c] += increment[c];
    }
}

Bitmap TGradientProgressBar::Paint() const {
    if (!Visible() || Width() <= 0 || Height() <= 0)
        return {};
    Bitmap canvas = NewCanvas();
    if (Orientation() == TProgressBarOrientation::pbVertical)
        paint_vertical(canvas);
    else
        paint_horizontal(canvas);
    canvas.draw_frame({0, 0, Width(), Height()}, ArgbFromColorRef(ColorBorder()));
    return canvas;
}

void TGradientProgressBar::paint_horizontal(Bitmap& canvas) const {
    const int W = Width(), H = Height();
    const std::int64_t range = std::int64_t{Max()} - Min();
    DrawGradient(canvas, {1, 1, W - 1, H - 1}, 1, BackColorFace(), BackColorGrad());
    std::int32_t fill = 0;
    if (range != 0) {
        const std::int64_t product = std::int64_t{W - 2} * (std::int64_t{Position()} - Min());
        fill =
            clamp_edge(RoundHalfEven(static_cast<double>(product) / static_cast<double>(range)), W);
        DrawGradient(canvas, {0, 0, fill, H}, 1, ForeColorFace(), ForeColorGrad());
    }
    line_in_colour_of(canvas, 1, 1, 1, 1, 1, H);
    if (range != 0)
        line_in_colour_of(canvas, 2, H - 2, fill, 1, fill, H);
}

void TGradientProgressBar::paint_vertical(Bitmap& canvas) const {
    const int W = Width(), H = Height();
    const std::int64_t range = std::llabs(std::int64_t{Max()} - Min());
    DrawGradient(canvas, {1, 1, W - 1, H}, 0, BackColorFace(), BackColorGrad());
    std::int32_t top = 0;
    if (range != 0) {
        const std::int64_t product = std::int64_t{H - 2} * (std::int64_t{Position()} - Min());
        const std::int64_t filled =
            RoundHalfEven(static_cast<double>(product) / static_cast<double>(range) + 1);
        // A bar past its maximum still ends at the bottom edge.
        top = std::max(0, clamp_edge(H - filled, H));
        DrawGradient(canvas, {0, top, W, H}, 0, ForeColorFace(), ForeColorGrad());
    }
    line_in_colour_of(canvas, 2, H - 2, 1, H - 2, W, H - 2);
    if (range != 0)
        line_in_colour_of(canvas, W - 3, H - 3, 1, top, W, top);
}

} // namespace launcher
