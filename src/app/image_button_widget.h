#pragma once

#include "app/skin_control_widget.h"
#include "skin/image_button.h"

namespace launcher::app {

// The host of a TImageButton: forwards the pointer entering and leaving and
// the presses and releases, relative to the button, and keeps every mouse
// press to itself so that a press on a button never drags the window. It
// tells the button whether the pointer is over it, so that after a click
// that opened a dialog the button shows the image for where the pointer is.
class ImageButtonWidget final : public SkinControlWidget {
public:
    ImageButtonWidget(TImageButton& button, QWidget* parent);
    ~ImageButtonWidget() override;

    TImageButton& button() { return button_; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    TImageButton& button_;
};

} // namespace launcher::app
