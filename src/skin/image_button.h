#pragma once

#include "skin/bitmap.h"
#include "skin/skin_control.h"

#include <functional>

namespace launcher {

// The five images a skin gives a button.
struct ButtonImages {
    Bitmap common;   // normal
    Bitmap over;     // pointer over the button
    Bitmap disabled; // button disabled
    Bitmap down;     // left button held down on it
    Bitmap up;       // left button just released over it
};

// A push button without frame or caption that shows one of five images by
// its state and takes the size of the image it shows. An image is empty when
// it has no pixels. To show an image is to make it the current image, size
// the button to it and repaint at once.
//
// The host forwards the pointer: MouseEnter and MouseLeave, and MouseDown and
// MouseUp with coordinates relative to the button (the button that got the
// press also gets its release, wherever the pointer is then). While the
// button is disabled it ignores all of them; it ignores every mouse button
// but the left one.
class TImageButton : public SkinControl {
public:
    // The system's button-face colour behind the images.
    static constexpr std::uint32_t kButtonFace = argb(0xF0, 0xF0, 0xF0);

    // A 50 x 50 button without images that shows hints.
    TImageButton() : SkinControl(50, 50) {}

    const Bitmap& Bmp() const { return bmp_; }           // property Bitmap
    const Bitmap& MOver() const { return over_; }        // property BitmapOver
    const Bitmap& MDown() const { return down_; }        // property BitmapDown
    const Bitmap& MUp() const { return up_; }            // property BitmapUp
    const Bitmap& BmpDAble() const { return disabled_; } // property BitmapDisabled
    const Bitmap& ActualBmp() const { return actual_; }  // the image a paint draws

    // Copies the normal image, makes it the current one, sizes the button to
    // it and repaints at once.
    void SetBitmap(const Bitmap& image);
    // Each copies its image and repaints at once.
    void SetBitmapOver(const Bitmap& image);
    void SetBitmapDown(const Bitmap& image);
    void SetBitmapUp(const Bitmap& image);
    void SetBitmapDisabled(const Bitmap& image);
    // Copies all five images without painting or sizing; RePaint follows.
    void AssignImages(const ButtonImages& images);

    std::uint32_t Color() const { return color_; }
    void SetColor(std::uint32_t argb_color);
    bool ShowHint() const { return show_hint_; }
    void SetShowHint(bool show) { show_hint_ = show; }
    bool ParentShowHint() const { return parent_show_hint_; }
    void SetParentShowHint(bool parent) { parent_show_hint_ = parent; }

    // Shows the normal image when there is one; otherwise does nothing.
    void RePaint();

    // The button as it looks now: its background colour with the current
    // image (or, while disabled, the disabled image) at (0, 0). A disabled
    // button with a disabled image takes that image's size. An empty bitmap
    // while the button is hidden or has no area.
    Bitmap Paint();

    // Disabling sizes the button to its disabled image when it has one;
    // enabling it again sizes it back to the image it shows.
    void SetEnabled(bool enabled) override;

    void MouseEnter();
    void MouseLeave();
    void MouseDown(MouseButton button, TShiftState shift, int x, int y);
    // A release over the button after a press on it is a click: the button
    // repaints and raises OnClick, then OnMouseUp, then shows the released
    // image (pointer over it) or the normal image (pointer elsewhere).
    void MouseUp(MouseButton button, TShiftState shift, int x, int y);

    // Whether the pointer is over this button now, as the screen has it. A
    // release picks its image by where the pointer is once the click's
    // handler has run (a dialog it opened may have taken the pointer
    // elsewhere); without this answer, by where the release happened.
    std::function<bool()> PointerIsOver;

    TNotifyEvent OnClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    // Declared for hosts that look for them; the button never raises them.
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

private:
    void show(const Bitmap& image);
    void size_to(const Bitmap& image);
    bool is_over(int x, int y) const;

    Bitmap over_;
    Bitmap down_;
    Bitmap up_;
    Bitmap bmp_;
    Bitmap actual_;
    Bitmap disabled_;
    std::uint32_t color_ = kButtonFace;
    bool show_hint_ = true;
    bool parent_show_hint_ = false;
    bool pressed_ = false;
};

} // namespace launcher
