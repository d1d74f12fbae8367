#pragma once

#include "skin/bitmap.h"
#include "skin/range_control.h"

namespace launcher {

// A gauge that shows a background texture and uncovers a foreground texture
// from the left as Position grows: Position / Max of the width. Min takes no
// part in painting and the orientation never changes how it fills. A new
// gauge is 200 x 16, range 0 to 100, Step 10, with no textures.
class TTextureGauge : public RangeControl {
public:
    const Bitmap& TextureBack() const { return back_; }
    const Bitmap& TextureFore() const { return fore_; }
    // Each copies the image and repaints at once.
    void SetTextureBack(const Bitmap& texture);
    void SetTextureFore(const Bitmap& texture);

    // The control as it looks now, Width x Height (each cut to kMaxPaintSide);
    // an empty bitmap while it
    // is hidden or has no area. Pixels that no texture covers stay fully
    // transparent, so the window behind shows through.
    Bitmap Paint() const;

private:
    Bitmap back_;
    Bitmap fore_;
};

} // namespace launcher
