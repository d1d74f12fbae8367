#include "app/message_panel.h"

#include "front/readable_colors.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace launcher::app {
namespace {
QColor qcolor(front::Rgb colour) {
    return QColor(colour.red, colour.green, colour.blue);
}
// The label's place inside the panel as designed: 29, 9, 196 x 29, which
// leaves 7 pixels below it in the 45-pixel panel.
constexpr int kLabelLeft = 29;
constexpr int kLabelTop = 9;
constexpr int kLabelWidth = 196;
constexpr int kLabelHeight = 29;
constexpr int kBottomMargin = 7;
} // namespace

MessagePanel::MessagePanel(QWidget* parent)
    : QFrame(parent), MsgLabel(new QLabel(this)), MsgCloseBtn(new QPushButton("X", this)) {
    setGeometry(552, 35, 239, 45);
    setAutoFillBackground(true);
    QPalette colors = palette();
    colors.setColor(QPalette::Window, qcolor(front::kMessagePanelBackground));
    // The text keeps a readable contrast on the panel.
    const QColor text = qcolor(
        front::ReadableTextColor(front::kMessagePanelBackground, front::kMessagePanelWantedText));
    colors.setColor(QPalette::WindowText, text);
    colors.setColor(QPalette::ButtonText, text); // the "X" that closes the panel
    setPalette(colors);
    hide();

    MsgLabel->setGeometry(kLabelLeft, kLabelTop, kLabelWidth, kLabelHeight);
    MsgLabel->setWordWrap(true);
    MsgLabel->setTextFormat(Qt::PlainText);
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
    MsgLabel->resize(kLabelWidth, std::max(kLabelHeight, MsgLabel->heightForWidth(kLabelWidth)));
    // An open panel takes the height of its new text at once.
    if (MsgTimer2.isActive())
        resize(width(), OpenHeight());
    if (isHidden() && !MsgTimer.isActive())
        MsgTimer.start();
}

int MessagePanel::OpenHeight() const {
    return std::max(kGrowSteps * kGrowPixels, kLabelTop + MsgLabel->height() + kBottomMargin);
}

QString MessagePanel::text() const {
    return MsgLabel->text();
}

void MessagePanel::MsgTimerTimer() {
    ++steps_;
    const int open_height = OpenHeight();
    resize(width(), std::min(kGrowPixels * steps_, open_height));
    show();
    raise();
    if (height() >= open_height) {
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
