#include "app/image_button_widget.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>

namespace launcher::app {
namespace {

std::optional<MouseButton> model_button(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return MouseButton::Left;
    case Qt::RightButton:
        return MouseButton::Right;
    case Qt::MiddleButton:
        return MouseButton::Middle;
    default:
        return std::nullopt;
    }
}

TShiftState shift_state(const QMouseEvent& event) {
    TShiftState shift = 0;
    const Qt::KeyboardModifiers keys = event.modifiers();
    if (keys & Qt::ShiftModifier)
        shift |= ssShift;
    if (keys & Qt::AltModifier)
        shift |= ssAlt;
    if (keys & Qt::ControlModifier)
        shift |= ssCtrl;
    const Qt::MouseButtons held = event.buttons();
    if (held & Qt::LeftButton)
        shift |= ssLeft;
    if (held & Qt::RightButton)
        shift |= ssRight;
    if (held & Qt::MiddleButton)
        shift |= ssMiddle;
    return shift;
}

} // namespace

ImageButtonWidget::ImageButtonWidget(TImageButton& button, QWidget* parent)
    : SkinControlWidget(
          button, [&button] { return button.Paint(); }, parent),
      button_(button) {
    setCursor(Qt::PointingHandCursor);
    button_.PointerIsOver = [this] {
        return isVisible() && QApplication::widgetAt(QCursor::pos()) == this;
    };
}

ImageButtonWidget::~ImageButtonWidget() {
    button_.PointerIsOver = nullptr;
}

void ImageButtonWidget::enterEvent(QEnterEvent* event) {
    button_.MouseEnter();
    event->accept();
}

void ImageButtonWidget::leaveEvent(QEvent* event) {
    button_.MouseLeave();
    event->accept();
}

void ImageButtonWidget::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (const auto which = model_button(event->button()))
        button_.MouseDown(*which, shift_state(*event), event->position().toPoint().x(),
                          event->position().toPoint().y());
}

void ImageButtonWidget::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (const auto which = model_button(event->button()))
        button_.MouseUp(*which, shift_state(*event), event->position().toPoint().x(),
                        event->position().toPoint().y());
}

void ImageButtonWidget::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

} // namespace launcher::app
