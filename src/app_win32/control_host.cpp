#include "app_win32/control_host.h"

#include "app_win32/dib_section.h"

#include <algorithm>

namespace launcher::app {
namespace {

void invalidate(HWND window, const Rect& area) {
    if (area.empty())
        return;
    const RECT rect{area.left, area.top, area.right, area.bottom};
    ::InvalidateRect(window, &rect, FALSE);
}

} // namespace

ControlHost::ControlHost(HWND window, SkinControl& model, Painter painter)
    : window_(window), model_(model), painter_(std::move(painter)), shown_(bounds()) {
    model_.SetChangeHandler([this](ControlChange change) { on_change(change); });
}

ControlHost::~ControlHost() {
    model_.SetChangeHandler(nullptr);
}

Rect ControlHost::bounds() const {
    return {model_.Left(), model_.Top(), model_.Left() + std::max(model_.Width(), 0),
            model_.Top() + std::max(model_.Height(), 0)};
}

void ControlHost::on_change(ControlChange change) {
    // The area the control covered and the one it covers now.
    invalidate(window_, shown_);
    shown_ = bounds();
    invalidate(window_, shown_);
    if (change == ControlChange::RepaintNow && ::IsWindowVisible(window_))
        ::UpdateWindow(window_);
}

void ControlHost::Paint(DibSection& picture) {
    shown_ = bounds();
    if (!model_.Visible())
        return;
    const Bitmap image = painter_();
    if (!image.empty())
        picture.Blend(image, model_.Left(), model_.Top());
}

ImageButtonHost::ImageButtonHost(HWND window, TImageButton& button)
    : ControlHost(window, button, [&button] { return button.Paint(); }), button_(button) {}

ImageButtonHost::~ImageButtonHost() {
    button_.PointerIsOver = nullptr;
}

} // namespace launcher::app
