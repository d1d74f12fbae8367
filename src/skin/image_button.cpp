#include "skin/image_button.h"

namespace launcher {

void TImageButton::SetBitmap(const Bitmap& image) {
    bmp_ = image;
    actual_ = image;
    size_to(bmp_);
    Repaint();
}

void TImageButton::SetBitmapOver(const Bitmap& image) {
    over_ = image;
    Repaint();
}

void TImageButton::SetBitmapDown(const Bitmap& image) {
    down_ = image;
    Repaint();
}

void TImageButton::SetBitmapUp(const Bitmap& image) {
    up_ = image;
    Repaint();
}

void TImageButton::SetBitmapDisabled(const Bitmap& image) {
    disabled_ = image;
    Repaint();
}

void TImageButton::AssignImages(const ButtonImages& images) {
    bmp_ = images.common;
    over_ = images.over;
    disabled_ = images.disabled;
    down_ = images.down;
    up_ = images.up;
}

void TImageButton::SetColor(std::uint32_t argb_color) {
    color_ = argb_color;
    Invalidate();
}

void TImageButton::RePaint() {
    if (!bmp_.empty())
        show(bmp_);
}

Bitmap TImageButton::Paint() {
    if (actual_.empty())
        actual_ = bmp_;
    const bool show_disabled = !Enabled() && !disabled_.empty();
    if (show_disabled)
        size_to(disabled_);
    if (!Visible() || Width() <= 0 || Height() <= 0)
        return {};
    Bitmap canvas = NewCanvas(color_);
    canvas.draw(show_disabled ? disabled_ : actual_, 0, 0);
    return canvas;
}

void TImageButton::SetEnabled(bool enabled) {
    if (enabled == Enabled())
        return;
    pressed_ = false;
    if (!enabled && !disabled_.empty())
        size_to(disabled_);
    else if (enabled && !disabled_.empty())
        size_to(actual_.empty() ? bmp_ : actual_);
    SkinControl::SetEnabled(enabled);
}

void TImageButton::MouseEnter() {
    if (Enabled() && !over_.empty())
        show(over_);
}

void TImageButton::MouseLeave() {
    if (Enabled() && !bmp_.empty())
        show(bmp_);
}

void TImageButton::MouseDown(MouseButton button, TShiftState shift, int x, int y) {
    if (!Enabled() || button != MouseButton::Left)
        return;
    pressed_ = true;
    if (OnMouseDown)
        OnMouseDown(*this, button, shift, x, y);
    if (!down_.empty())
        show(down_);
}

void TImageButton::MouseUp(MouseButton button, TShiftState shift, int x, int y) {
    if (!Enabled() || button != MouseButton::Left)
        return;
    const bool pressed = pressed_;
    pressed_ = false;
    if (pressed && is_over(x, y)) {
        Repaint();
        if (OnClick)
            OnClick(*this);
    }
    if (OnMouseUp)
        OnMouseUp(*this, button, shift, x, y);
    // The chosen image becomes the current one, so a later full paint shows
    // it rather than the pressed image.
    const bool over = PointerIsOver ? Visible() && PointerIsOver() : is_over(x, y);
    if (!over)
        show(bmp_);
    else if (!up_.empty())
        show(up_);
    else
        show(over_.empty() ? bmp_ : over_);
}

void TImageButton::show(const Bitmap& image) {
    actual_ = image;
    size_to(actual_);
    Repaint();
}

void TImageButton::size_to(const Bitmap& image) {
    SetBounds(Left(), Top(), image.width(), image.height());
}

bool TImageButton::is_over(int x, int y) const {
    return Visible() && x >= 0 && y >= 0 && x < Width() && y < Height();
}

} // namespace launcher
