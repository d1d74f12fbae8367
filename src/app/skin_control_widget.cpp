#include "app/skin_control_widget.h"

#include "app/bitmap_image.h"

#include <QPainter>

namespace launcher::app {

SkinControlWidget::SkinControlWidget(SkinControl& model, Painter painter, QWidget* parent)
    : QWidget(parent), model_(model), painter_(std::move(painter)) {
    model_.SetChangeHandler([this](ControlChange change) { on_change(change); });
    SyncBounds();
}

SkinControlWidget::~SkinControlWidget() {
    model_.SetChangeHandler(nullptr);
}

void SkinControlWidget::SyncBounds() {
    setGeometry(model_.Left(), model_.Top(), std::max(model_.Width(), 0),
                std::max(model_.Height(), 0));
    setVisible(model_.Visible());
}

void SkinControlWidget::on_change(ControlChange change) {
    switch (change) {
    case ControlChange::RepaintNow:
        SyncBounds();
        if (isVisible())
            repaint();
        break;
    case ControlChange::RepaintRequested:
        update();
        break;
    case ControlChange::BoundsChanged:
        SyncBounds();
        update();
        break;
    }
}

void SkinControlWidget::paintEvent(QPaintEvent*) {
    const QImage image = ToQImage(painter_());
    if (image.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, image);
}

} // namespace launcher::app
