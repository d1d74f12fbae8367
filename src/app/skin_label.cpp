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
        adjustSize();
}

void TLabel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    event->accept();
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
