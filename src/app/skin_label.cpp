#include "app/skin_label.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace launcher::app {

TLabel::TLabel(QWidget* parent) : QLabel(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setTextFormat(Qt::PlainText);
}

void TLabel::SetCaption(std::string_view text) {
    setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    FitToText();
}

void TLabel::FitToText() {
    adjustSize();
}

void TLabel::SetFontColor(const QColor& color) {
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, color);
    setPalette(colors);
}

QSize TLabel::sizeHint() const {
    if (wordWrap())
        return QLabel::sizeHint();
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()), metrics.height()};
}

void TLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange && !wordWrap())
        FitToText();
}

void TLabel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    event->accept();
}

TRightAlignedLabel::TRightAlignedLabel(QWidget* parent) : TLabel(parent) {
    setLayoutDirection(Qt::RightToLeft);
    // Absolute: a right-to-left label would otherwise mirror "right" to the left.
    setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter);
}

void TRightAlignedLabel::FitToText() {
    const int right = x() + width();
    TLabel::FitToText();
    move(right - width(), y());
}

QSize TShadowLabel::sizeHint() const {
    return TLabel::sizeHint() + QSize(1, 1);
}

void TShadowLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    const QRect area = rect().adjusted(0, 0, -1, -1);
    const int flags = static_cast<int>(alignment());
    painter.setPen(Qt::black);
    painter.drawText(area.translated(1, 1), flags, text());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(area, flags, text());
}

} // namespace launcher::app
