#pragma once

#include "skin/skin_control.h"

#include <QWidget>
#include <functional>

namespace launcher::app {

// A thin Qt widget that shows one toolkit-free control model: it takes the
// model's place and visibility, draws the bitmap the model paints, and
// repaints before returning when the model asks for it, so progress shows
// while the update keeps the interface thread busy.
class SkinControlWidget : public QWidget {
public:
    using Painter = std::function<Bitmap()>;

    SkinControlWidget(SkinControl& model, Painter painter, QWidget* parent);
    ~SkinControlWidget() override;

    SkinControl& model() { return model_; }
    // Takes the model's bounds and visibility.
    void SyncBounds();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void on_change(ControlChange change);

    SkinControl& model_;
    Painter painter_;
};

} // namespace launcher::app
