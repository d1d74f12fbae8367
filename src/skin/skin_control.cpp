#include "skin/skin_control.h"

#include <algorithm>

namespace launcher {

Bitmap SkinControl::NewCanvas(std::uint32_t fill) const {
    return Bitmap(std::min(width_, kMaxPaintSide), std::min(height_, kMaxPaintSide), fill);
}

void SkinControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Notify(ControlChange::BoundsChanged);
}

void SkinControl::SetVisible(bool visible) {
    if (visible == visible_)
        return;
    visible_ = visible;
    Notify(ControlChange::BoundsChanged);
}

void SkinControl::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Notify(ControlChange::RepaintRequested);
}

} // namespace launcher
