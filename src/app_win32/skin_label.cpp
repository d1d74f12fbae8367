#include "app_win32/skin_label.h"

#include "platform/win32/win32_text.h"

#include <algorithm>

namespace launcher::app {
namespace {

constexpr wchar_t kFontFace[] = L"Tahoma";

// The text's extent in the font, measured on the screen's device context.
SIZE text_extent(HFONT font, const std::wstring& text, int wrap_width = 0) {
    const HDC screen = ::GetDC(nullptr);
    const HGDIOBJ previous = ::SelectObject(screen, font);
    SIZE size{0, 0};
    if (wrap_width > 0) {
        RECT area{0, 0, wrap_width, 0};
        ::DrawTextW(screen, text.c_str(), static_cast<int>(text.size()), &area,
                    DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        size = {area.right - area.left, area.bottom - area.top};
    } else {
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(screen, &metrics);
        ::GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &size);
        size.cy = metrics.tmHeight;
    }
    ::SelectObject(screen, previous);
    ::ReleaseDC(nullptr, screen);
    return size;
}

} // namespace

TLabel::TLabel(Kind kind, int left, int top) : kind_(kind), bounds_{left, top, left, top} {
    make_font();
    fit_to_text();
}

TLabel::~TLabel() {
    ::DeleteObject(font_);
}

void TLabel::make_font() {
    if (font_ != nullptr)
        ::DeleteObject(font_);
    font_ = ::CreateFontW(-font_pixels_, 0, 0, 0, bold_ ? FW_BOLD : FW_NORMAL, italic_, underline_,
                          FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                          ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, kFontFace);
}

void TLabel::SetCaption(std::string_view text) {
    const Rect before = bounds_;
    text_ = platform::win32::wide(text);
    fit_to_text();
    if (on_change_)
        on_change_(before, bounds_);
}

void TLabel::ApplySkin(const LabelSkin& skin) {
    const Rect before = bounds_;
    bounds_ = {skin.Left, skin.Top, skin.Left + std::max(skin.Width, 0),
               skin.Top + std::max(skin.Height, 0)};
    box_ = bounds_;
    visible_ = skin.Visible;
    enabled_ = skin.Enabled;
    if (skin.FontPixels)
        font_pixels_ = *skin.FontPixels;
    bold_ = skin.Bold;
    italic_ = skin.Italic;
    underline_ = skin.Underline;
    if (skin.ColorArgb)
        color_ =
            RGB(*skin.ColorArgb >> 16 & 0xFF, *skin.ColorArgb >> 8 & 0xFF, *skin.ColorArgb & 0xFF);
    make_font();
    fit_to_text();
    if (on_change_)
        on_change_(before, bounds_);
}

void TLabel::fit_to_text() {
    SIZE size = text_extent(font_, text_);
    wrapped_ = false;
    if (kind_ == Kind::Shadowed) {
        size.cx += 1;
        size.cy += 1;
    }
    if (kind_ != Kind::RightAligned) {
        bounds_.right = bounds_.left + size.cx;
        bounds_.bottom = bounds_.top + size.cy;
        return;
    }
    const int right = box_.width() > 0 ? box_.right : bounds_.right;
    const int top = box_.width() > 0 ? box_.top : bounds_.top;
    if (box_.width() > 0 && size.cx > box_.width()) {
        // Wrapped within the box, as many lines as the box is high (at least one).
        const SIZE wrapped = text_extent(font_, text_, static_cast<int>(box_.width()));
        size.cx = static_cast<LONG>(box_.width());
        size.cy = std::max<LONG>(std::min<LONG>(wrapped.cy, static_cast<LONG>(box_.height())),
                                 text_extent(font_, L"X").cy);
        wrapped_ = true;
    }
    bounds_ = {right - size.cx, top, right, top + size.cy};
}

void TLabel::Paint(HDC dc) const {
    if (!visible_ || text_.empty())
        return;
    const HGDIOBJ previous = ::SelectObject(dc, font_);
    ::SetBkMode(dc, TRANSPARENT);
    RECT area{bounds_.left, bounds_.top, bounds_.right, bounds_.bottom};
    UINT format = DT_NOPREFIX | DT_NOCLIP;
    if (kind_ == Kind::RightAligned)
        format |= DT_RIGHT | (wrapped_ ? DT_WORDBREAK | DT_END_ELLIPSIS : DT_SINGLELINE);
    else
        format |= DT_SINGLELINE;
    if (kind_ == Kind::Shadowed) {
        RECT shadow{area.left + 1, area.top + 1, area.right, area.bottom};
        area.right -= 1;
        area.bottom -= 1;
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &shadow, format);
    }
    if (kind_ == Kind::RightAligned && wrapped_)
        format &= ~static_cast<UINT>(DT_NOCLIP);
    const COLORREF shown = enabled_ ? color_ : RGB(128, 128, 128);
    ::SetTextColor(dc, shown);
    ::DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &area, format);
    ::SelectObject(dc, previous);
}

} // namespace launcher::app
