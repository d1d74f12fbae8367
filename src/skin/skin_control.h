#pragma once

#include "skin/bitmap.h"

#include <cstdint>
#include <functional>

namespace launcher {

// What a control model tells the window that hosts it.
enum class ControlChange {
    // Draw the control now, before returning: call Paint and show the result.
    // Progress must become visible while the update holds the interface thread.
    RepaintNow,
    // Draw the control at the next ordinary paint.
    RepaintRequested,
    // Left, Top, Width, Height or Visible changed: move, size, show or hide
    // the control (which repaints it in the ordinary way).
    BoundsChanged,
};

// The mouse buttons a control is told about.
enum class MouseButton { Left, Right, Middle };

// Keys and buttons held during a mouse event.
using TShiftState = std::uint8_t;
inline constexpr TShiftState ssShift = 1;
inline constexpr TShiftState ssAlt = 2;
inline constexpr TShiftState ssCtrl = 4;
inline constexpr TShiftState ssLeft = 8;
inline constexpr TShiftState ssRight = 16;
inline constexpr TShiftState ssMiddle = 32;

class SkinControl;
using TNotifyEvent = std::function<void(SkinControl& sender)>;
using TMouseEvent =
    std::function<void(SkinControl& sender, MouseButton button, TShiftState shift, int x, int y)>;

// A windowless control of the skinned windows, as a model without any
// toolkit: its placement, visibility and enabled state, and one handler
// through which it asks its host to draw or move it. Subclasses draw
// themselves into a bitmap of their size (Paint); the host shows that bitmap
// at (Left, Top) of the window.
class SkinControl {
public:
    using ChangeHandler = std::function<void(ControlChange)>;

    // Paint draws at most this many columns and rows: the skin passes sizes
    // on unchecked, and no window of the launcher shows more, so a huge size
    // costs no memory for pixels nobody can see.
    static constexpr int kMaxPaintSide = 8192;

    SkinControl(int width, int height) : width_(width), height_(height) {}
    virtual ~SkinControl() = default;
    SkinControl(const SkinControl&) = delete;
    SkinControl& operator=(const SkinControl&) = delete;

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Visible() const { return visible_; }
    bool Enabled() const { return enabled_; }

    void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
    void SetTop(int top) { SetBounds(left_, top, width_, height_); }
    void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
    void SetHeight(int height) { SetBounds(left_, top_, width_, height); }
    // Tells the host only when something changed.
    void SetBounds(int left, int top, int width, int height);
    void SetVisible(bool visible);
    virtual void SetEnabled(bool enabled);

    // The host's handler; the control works without one (nothing is told).
    void SetChangeHandler(ChangeHandler handler) { handler_ = std::move(handler); }
    // Asks the host to draw the control now.
    void Repaint() { Notify(ControlChange::RepaintNow); }
    // Asks the host to draw the control at its next paint.
    void Invalidate() { Notify(ControlChange::RepaintRequested); }

protected:
    // A transparent canvas of the control's size, cut to kMaxPaintSide.
    Bitmap NewCanvas(std::uint32_t fill = 0) const;

    void Notify(ControlChange change) const {
        if (handler_)
            handler_(change);
    }

private:
    int left_ = 0;
    int top_ = 0;
    int width_;
    int height_;
    bool visible_ = true;
    bool enabled_ = true;
    ChangeHandler handler_;
};

} // namespace launcher
