#include "app/message_panel.h"

#include <QLabel>
#include <QPushButton>

namespace launcher::app {
namespace {
// The panel's colour 0x004A525A (blue, green, red) as designed.
constexpr QRgb kPanelColor = qRgb(0x5A, 0x52, 0x4A);
} // namespace

MessagePanel::MessagePanel(QWidget* parent)
    : QFrame(parent), MsgLabel(new QLabel(this)), MsgCloseBtn(new QPushButton("X", this)) {
    setGeometry(552, 35, 239, 45);
    setAutoFillBackground(true);
    QPalette colors = palette();
    colors.setColor(QPalette::Window, QColor(kPanelColor));
    setPalette(colors);
    hide();

    MsgLabel->setGeometry(29, 9, 196, 29);
    MsgLabel->setWordWrap(true);
    MsgLabel->setTextFormat(Qt::PlainText);
    MsgLabel->setStyleSheet("color: red;");
    MsgCloseBtn->setGeometry(2, 27, 18, 17);
    MsgCloseBtn->setFlat(true);
    MsgCloseBtn->setCursor(Qt::PointingHandCursor);

    MsgTimer.setInterval(100);
    MsgTimer2.setInterval(10000);
    MsgTimer2.setSingleShot(false);
    connect(&MsgTimer, &QTimer::timeout, this, [this] { MsgTimerTimer(); });
    connect(&MsgTimer2, &QTimer::timeout, this, [this] { close_panel(); });
    connect(MsgCloseBtn, &QPushButton::clicked, this, [this] { close_panel(); });
}

void MessagePanel::MsgShow(std::string_view text) {
    MsgLabel->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    if (isHidden() && !MsgTimer.isActive())
        MsgTimer.start();
}

QString MessagePanel::text() const {
    return MsgLabel->text();
}

void MessagePanel::MsgTimerTimer() {
    ++steps_;
    resize(width(), kGrowPixels * steps_);
    show();
    raise();
    if (steps_ >= kGrowSteps) {
        MsgTimer.stop();
        MsgTimer2.start();
    }
}

void MessagePanel::close_panel() {
    steps_ = 0;
    MsgTimer.stop();
    MsgTimer2.stop();
    hide();
}

} // namespace launcher::app
