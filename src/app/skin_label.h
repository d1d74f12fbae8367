#pragma once

#include <QLabel>
#include <string_view>

namespace launcher::app {

// A label that sizes itself to its text whenever its caption or font changes,
// as the skinned windows' labels are designed to.
class TLabel : public QLabel {
public:
    explicit TLabel(QWidget* parent);

    void SetCaption(std::string_view text);
    void SetFontColor(const QColor& color);
    QSize sizeHint() const override;
    // Takes the size of the text; the top-left corner stays where it is.
    virtual void FitToText();

protected:
    void changeEvent(QEvent* event) override;
    // Labels lie on the window's background but never start a drag of it.
    void mousePressEvent(QMouseEvent* event) override;
};

// A label that reads right to left and keeps its right edge where it is when
// it takes the size of its text: a caption ending next to the control it
// describes stays there whatever the length of the language's text.
class TRightAlignedLabel final : public TLabel {
public:
    explicit TRightAlignedLabel(QWidget* parent);

    // Takes the size of the text; the right edge and the top stay.
    void FitToText() override;
};

// A label drawn over a black copy of its text one pixel to the lower right,
// readable on any part of a skin's background.
class TShadowLabel final : public TLabel {
public:
    using TLabel::TLabel;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace launcher::app
