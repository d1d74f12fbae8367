#include "app/skin_label.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

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

void TLabel::SetSkinBox(const QRect& box) {
    move(box.topLeft());
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

namespace {

// The words of `text` in lines of at most `width` pixels, no more than
// `max_lines` of them; the last line ends in an ellipsis when words are left.
QStringList fitted_lines(const QString& text, const QFontMetrics& metrics, int width,
                         int max_lines) {
    const QStringList words = text.split(' ', Qt::SkipEmptyParts);
    QStringList lines;
    qsizetype next = 0;
    while (next < words.size() && lines.size() < max_lines) {
        QString line = words[next++];
        while (next < words.size() && metrics.horizontalAdvance(line + ' ' + words[next]) <= width)
            line += ' ' + words[next++];
        lines.push_back(line);
    }
    if (!lines.isEmpty() &&
        (next < words.size() || metrics.horizontalAdvance(lines.back()) > width)) {
        const QString rest = (QStringList{lines.back()} + words.mid(next)).join(' ');
        lines.back() = metrics.elidedText(rest, Qt::ElideRight, width);
    }
    return lines;
}

} // namespace

void TRightAlignedLabel::SetSkinBox(const QRect& box) {
    box_ = box;
    setGeometry(box);
}

void TRightAlignedLabel::FitToText() {
    const QFontMetrics metrics(font());
    const int right = box_.width() > 0 ? box_.x() + box_.width() : x() + width();
    const int natural = metrics.horizontalAdvance(text());
    if (box_.width() <= 0 || natural <= box_.width()) {
        lines_ = QStringList{text()};
        setToolTip({});
        resize(natural, metrics.height());
    } else {
        const int max_lines = std::max(1, box_.height() / metrics.lineSpacing());
        lines_ = fitted_lines(text(), metrics, box_.width(), max_lines);
        setToolTip(lines_.join(' ') == text() ? QString() : text());
        int widest = 0;
        for (const QString& line : lines_)
            widest = std::max(widest, metrics.horizontalAdvance(line));
        resize(widest,
               metrics.lineSpacing() * static_cast<int>(lines_.size() - 1) + metrics.height());
    }
    move(right - width(), box_.width() > 0 ? box_.y() : y());
}

void TRightAlignedLabel::paintEvent(QPaintEvent* event) {
    if (lines_.size() <= 1 && toolTip().isEmpty()) {
        TLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    const QFontMetrics metrics(font());
    for (qsizetype i = 0; i < lines_.size(); ++i)
        painter.drawText(
            QRect(0, static_cast<int>(i) * metrics.lineSpacing(), width(), metrics.height()),
            Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignTop, lines_[i]);
}

QSize TShadowLabel::sizeHint() const {
    return TLabel::sizeHint() + QSize(1, 1);
}

void TShadowLabel::FitToText() {
    TLabel::FitToText();
    const bool too_wide = width_limit_ > 0 && width() > width_limit_;
    if (too_wide)
        resize(width_limit_, height());
    setToolTip(too_wide ? text() : QString());
}

void TShadowLabel::SetWidthLimit(int limit) {
    width_limit_ = limit;
    FitToText();
}

QString TShadowLabel::shown_text() const {
    if (toolTip().isEmpty())
        return text();
    // The shadow takes the last pixel column.
    return fontMetrics().elidedText(text(), Qt::ElideRight, width() - 1);
}

void TShadowLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    const QRect area = rect().adjusted(0, 0, -1, -1);
    const int flags = static_cast<int>(alignment());
    const QString shown = shown_text();
    painter.setPen(Qt::black);
    painter.drawText(area.translated(1, 1), flags, shown);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(area, flags, shown);
}

} // namespace launcher::app
