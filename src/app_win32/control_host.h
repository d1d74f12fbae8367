#pragma once

#include "skin/image_button.h"
#include "skin/skin_control.h"

#include <functional>
#include <windows.h>

namespace launcher::app {

class DibSection;

// A windowless control of a skinned window: one toolkit-free control model
// drawn on its window's picture at the model's place. It tells the window
// which areas to redraw; a model that asks to be drawn at once is drawn
// before it regains control, so that progress shows while the update holds
// the interface thread.
class ControlHost {
public:
    using Painter = std::function<Bitmap()>;

    ControlHost(HWND window, SkinControl& model, Painter painter);
    virtual ~ControlHost();
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    SkinControl& model() { return model_; }
    Rect bounds() const;
    bool Contains(int x, int y) const { return model_.Visible() && bounds().contains(x, y); }
    void Paint(DibSection& picture);

private:
    void on_change(ControlChange change);

    HWND window_;
    SkinControl& model_;
    Painter painter_;
    Rect shown_; // where the control was last drawn
};

// The host of an image button: the window forwards the pointer and the mouse
// buttons to it.
class ImageButtonHost final : public ControlHost {
public:
    ImageButtonHost(HWND window, TImageButton& button);
    ~ImageButtonHost() override;

    TImageButton& button() { return button_; }

private:
    TImageButton& button_;
};

} // namespace launcher::app
