#include "skin/texture_gauge.h"

#include "skin/rounding.h"

#include <algorithm>

namespace launcher {

void TTextureGauge::SetTextureBack(const Bitmap& texture) {
    back_ = texture;
    Repaint();
}

void TTextureGauge::SetTextureFore(const Bitmap& texture) {
    fore_ = texture;
    Repaint();
}

Bitmap TTextureGauge::Paint() const {
    if (!Visible() || Width() <= 0 || Height() <= 0)
        return {};
    Bitmap canvas = NewCanvas();
    if (!back_.empty())
        canvas.draw(back_, 0, 0);
    // With Max 0 the share has no finite value: the foreground stays hidden.
    if (!fore_.empty() && Max() != 0) {
        const double share = static_cast<double>(Position()) / static_cast<double>(Max());
        const std::int64_t fill = RoundHalfEven(share * Width());
        if (fill > 0) {
            const auto right = static_cast<std::int32_t>(std::min<std::int64_t>(fill, Width()));
            canvas.copy_rect(fore_, {0, 0, right, Height()});
        }
    }
    return canvas;
}

} // namespace launcher
