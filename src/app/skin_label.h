#pragma once

#include <QLabel>
#include <QStringList>
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
    // The place and size the skin gives the label. Plain labels size to their
    // text and only start at the box's corner.
    virtual void SetSkinBox(const QRect& box);

protected:
    void changeEvent(QEvent* event) override;
    // Labels lie on the window's background but never start a drag of it.
    void mousePressEvent(QMouseEvent* event) override;
};

// A label that reads right to left and keeps its right edge where it is when
// it takes the size of its text: a caption ending next to the control it
// describes stays there whatever the length of the language's text. Within
// a skin box it also stays inside the box: a caption wider than the box wraps
// onto as many lines as the box is high (at least one), from the box's top,
// and what still does not fit ends in "…", the whole caption then showing as
// the tooltip.
class TRightAlignedLabel final : public TLabel {
public:
    explicit TRightAlignedLabel(QWidget* parent);

    // Takes the size of the text; the right edge and the top stay.
    void FitToText() override;
    void SetSkinBox(const QRect& box) override;
    // The lines the caption shows (one unless it is wrapped).
    const QStringList& shown_lines() const { return lines_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect box_; // empty: no skin box
    QStringList lines_;
};

// A label drawn over a black copy of its text one pixel to the lower right,
// readable on any part of a skin's background. Within a width limit a longer
// text ends in "…" and shows whole as the tooltip.
class TShadowLabel final : public TLabel {
public:
    using TLabel::TLabel;

    QSize sizeHint() const override;
    void FitToText() override;
    // The widest the label may grow; 0 sets no limit.
    void SetWidthLimit(int limit);
    // The text as drawn.
    QString shown_text() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int width_limit_ = 0;
};

} // namespace launcher::app
