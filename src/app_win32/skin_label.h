#pragma once

#include "skin/geometry.h"
#include "skin/skin_apply.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <windows.h>

namespace launcher::app {

// A windowless label of the skinned windows: it paints its text on its
// window's picture and sizes itself to its text whenever its caption or font
// changes. The window gives it a handler that redraws the area the label
// covered and covers now.
class TLabel {
public:
    enum class Kind {
        Plain,
        // Drawn over a black copy of its text one pixel to the lower right,
        // readable on any part of a skin's background.
        Shadowed,
        // Keeps its right edge where the skin's box ends (the captions next
        // to the settings window's controls); a text wider than the box is
        // wrapped within it.
        RightAligned,
    };
    using ChangeHandler = std::function<void(const Rect& before, const Rect& after)>;

    TLabel(Kind kind, int left, int top);
    ~TLabel();
    TLabel(const TLabel&) = delete;
    TLabel& operator=(const TLabel&) = delete;

    void SetChangeHandler(ChangeHandler handler) { on_change_ = std::move(handler); }
    void SetCaption(std::string_view text);
    const std::wstring& caption() const { return text_; }
    // Placement, font and colour from the skin, then the size of the text.
    void ApplySkin(const LabelSkin& skin);

    Rect bounds() const { return bounds_; }
    bool visible() const { return visible_; }
    bool enabled() const { return enabled_; }
    // Whether the label's area holds the window point (a label takes the
    // mouse presses on it: they never drag the window).
    bool Contains(int x, int y) const { return visible_ && bounds_.contains(x, y); }
    HFONT font() const { return font_; }
    COLORREF color() const { return color_; }

    void Paint(HDC dc) const;

private:
    void make_font();
    void fit_to_text();

    Kind kind_;
    Rect bounds_;
    Rect box_; // the skin's box; empty until the skin gives one
    std::wstring text_;
    HFONT font_ = nullptr;
    int font_pixels_ = 11;
    bool bold_ = false;
    bool italic_ = false;
    bool underline_ = false;
    COLORREF color_ = RGB(0, 0, 0);
    bool visible_ = true;
    bool enabled_ = true;
    bool wrapped_ = false;
    ChangeHandler on_change_;
};

} // namespace launcher::app
