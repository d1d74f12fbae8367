#pragma once

#include "skin/bitmap.h"
#include "skin/geometry.h"
#include "skin/range_control.h"

#include <cstdint>

namespace launcher {

// A colour as the skin gives it: 0x00BBGGRR, red in the low byte.
using TColor = std::uint32_t;

// Colour presets of the progress bar; csCustom is whatever was set last.
enum class TColorScheme {
    csCustom = 0,
    csDesert,
    csGrass,
    csSilver,
    csSky,
    csRose,
    csSun,
    csHackers,
    csNight,
    csVelvet,
    csMetal,
    csViolet,
    csToxic,
};

// A progress bar drawn with a two-colour gradient track, a gradient bar and
// a one-pixel border. Horizontal bars grow rightwards with gradients from top
// to bottom; vertical bars grow upwards with gradients from left to right.
// A new bar is 200 x 16, range 0 to 100, Step 10, horizontal, csDesert.
class TGradientProgressBar : public RangeControl {
public:
    TGradientProgressBar();

    TColor ColorBorder() const { return colors_[0]; }
    TColor BackColorFace() const { return colors_[1]; }
    TColor BackColorGrad() const { return colors_[2]; }
    TColor ForeColorFace() const { return colors_[3]; }
    TColor ForeColorGrad() const { return colors_[4]; }
    TColorScheme ColorScheme() const { return scheme_; }

    // Each stores the colour, turns the scheme to csCustom and asks for a
    // repaint.
    void SetColorBorder(TColor color) { SetColor(0, color); }
    void SetBackColorFace(TColor color) { SetColor(10, color); }
    void SetBackColorGrad(TColor color) { SetColor(11, color); }
    void SetForeColorFace(TColor color) { SetColor(20, color); }
    void SetForeColorGrad(TColor color) { SetColor(21, color); }
    // The shared colour setter: index 0 ColorBorder, 10 BackColorFace,
    // 11 BackColorGrad, 20 ForeColorFace, 21 ForeColorGrad; other indices
    // are ignored.
    void SetColor(int index, TColor color);
    // A preset sets all five colours; csCustom keeps them. Asks for a repaint.
    void SetColorScheme(TColorScheme scheme);

    // Draws n + 1 lines stepping the colour from `a` to `b` in floating point,
    // n = R - L (direction 0: vertical lines x = i from T to T + B),
    // B - T (direction 1: horizontal lines y = i from L to L + R), or
    // (B - T) + (R - L) (direction 2: lines from (i, T) to (L, i)); i counts
    // from the canvas edge. Any other direction draws nothing.
    static void DrawGradient(Bitmap& canvas, const Rect& rect, int direction, TColor a, TColor b);

    // The control as it looks now, Width x Height (each cut to kMaxPaintSide);
    // an empty bitmap while it
    // is hidden or has no area.
    Bitmap Paint() const;

private:
    void paint_horizontal(Bitmap& canvas) const;
    void paint_vertical(Bitmap& canvas) const;

    // ColorBorder, BackColorFace, BackColorGrad, ForeColorFace, ForeColorGrad
    TColor colors_[5] = {};
    TColorScheme scheme_ = TColorScheme::csDesert;
};

} // namespace launcher
