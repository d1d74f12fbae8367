#include "app_win32/settings_window.h"

#include "app_win32/dib_section.h"
#include "app_win32/skin_label.h"
#include "app_win32/win32_event_loop.h"
#include "app_win32/win32_region.h"
#include "app_win32/window_class.h"
#include "platform/terminate_flag.h"
#include "platform/win32/win32_text.h"
#include "skin/skin_apply.h"
#include "skin/skin_windows.h"

#include <algorithm>
#include <commctrl.h>

namespace launcher::app {
namespace {

// The right-aligned captions end here, next to the controls at x = 335.
constexpr int kCaptionRightEdge = 328;
// The height of a list's items and of its selection field: the designed
// 21 pixels of a closed list less its frame.
constexpr int kItemHeight = 15;

void fill_list(HWND box, const std::vector<std::string>& items) {
    ::SendMessageW(box, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items)
        ::SendMessageW(box, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(platform::win32::wide(item).c_str()));
}

COLORREF colorref(std::uint32_t argb_color) {
    return RGB(argb_color >> 16 & 0xFF, argb_color >> 8 & 0xFF, argb_color & 0xFF);
}

std::uint32_t argb_of(COLORREF color) {
    return argb(GetRValue(color), GetGValue(color), GetBValue(color));
}

} // namespace

TFSettings::TFSettings(Win32EventLoop& loop, tConfigData& config, const TqorConfigWindow& skin,
                       UserSettings& main_values, HWND owner)
    : skin_(skin) {
    RegisterObjectWindowClass<TFSettings>(kWindowClass);
    window_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"", WS_POPUP | WS_CLIPCHILDREN, 0,
                                0, kDesignWidth, kDesignHeight, owner, nullptr,
                                ::GetModuleHandleW(nullptr), this);
    picture_ = std::make_unique<DibSection>(kDesignWidth, kDesignHeight);
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const auto list = [&](Control id, int left, int top, int width) {
        // Owner-drawn, so that the lists take the skin's look; the height
        // includes the drop-down part.
        const HWND box = ::CreateWindowExW(
            0, L"COMBOBOX", L"",
            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST |
                CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
            left, top, width, 200, window_, reinterpret_cast<HMENU>(id), instance, nullptr);
        ::SetWindowSubclass(box, &TFSettings::list_procedure, 0, reinterpret_cast<DWORD_PTR>(this));
    };
    const auto add_caption = [this](std::unique_ptr<TLabel>& label, TLabel::Kind kind, int left,
                                    int top) {
        label = std::make_unique<TLabel>(kind, left, top);
        label->SetChangeHandler(
            [this](const Rect& before, const Rect& after) { redraw(before, after); });
    };
    // Declared order: later controls lie on top of earlier ones.
    add_caption(title_label_, TLabel::Kind::Plain, 253, 72);
    list(Box_Language, 335, 107, 73);
    add_caption(language_label_, TLabel::Kind::RightAligned, kCaptionRightEdge, 108);
    ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 335,
                      136, 13, 17, window_, reinterpret_cast<HMENU>(Check_Autoclose), instance,
                      nullptr);
    add_caption(autoclose_label_, TLabel::Kind::RightAligned, kCaptionRightEdge, 135);
    ::CreateWindowExW(0, L"BUTTON", L"Ok", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 400,
                      304, 99, 33, window_, reinterpret_cast<HMENU>(Button_Ok), instance, nullptr);
    list(Box_Proxy, 335, 161, 164);
    add_caption(proxy_label_, TLabel::Kind::RightAligned, kCaptionRightEdge, 162);
    list(Box_DriveType, 335, 192, 164);
    add_caption(drive_type_label_, TLabel::Kind::RightAligned, kCaptionRightEdge, 193);
    list(Box_CheckType, 335, 223, 164);
    add_caption(check_type_label_, TLabel::Kind::RightAligned, kCaptionRightEdge, 224);

    background_ = WithoutAlpha(skin_.BackGroundImage.image);
    // Without a background the dialog keeps its rectangle rather than vanish.
    if (const auto region = SettingsWindowRegion(skin_.BackGroundImage.image))
        if (const HRGN outline = ToHrgn(*region))
            ::SetWindowRgn(window_, outline, TRUE);
    presenter_ = std::make_unique<front::SettingsPresenter>(loop, *this, config, main_values);
}

TFSettings::~TFSettings() {
    presenter_.reset();
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
    if (face_brush_ != nullptr)
        ::DeleteObject(face_brush_);
}

void TFSettings::SetDataToForm() {
    title_label_->ApplySkin(LabelSkinValues(skin_.Text_Title.parameters));
    language_label_->ApplySkin(LabelSkinValues(skin_.Text_Language.parameters));
    autoclose_label_->ApplySkin(LabelSkinValues(skin_.Text_Autoclose.parameters));
    proxy_label_->ApplySkin(LabelSkinValues(skin_.Text_Proxy.parameters));
    drive_type_label_->ApplySkin(LabelSkinValues(skin_.Text_DriveType.parameters));
    check_type_label_->ApplySkin(LabelSkinValues(skin_.Text_CheckType.parameters));
    const std::pair<Control, const StringList*> controls[] = {
        {Box_Language, &skin_.Box_Language.parameters},
        {Check_Autoclose, &skin_.Check_Autoclose.parameters},
        {Box_Proxy, &skin_.Box_Proxy.parameters},
        {Box_DriveType, &skin_.Box_DriveType.parameters},
        {Box_CheckType, &skin_.Box_CheckType.parameters},
        {Button_Ok, &skin_.Button_Ok.parameters}};
    for (const auto& [id, parameters] : controls) {
        const LabelSkin place = LabelSkinValues(*parameters);
        const bool is_list = id != Check_Autoclose && id != Button_Ok;
        // A list's height is its closed field's; its drop-down comes below.
        ::SetWindowPos(control(id), nullptr, place.Left, place.Top, std::max(place.Width, 0),
                       is_list ? 200 : std::max(place.Height, 0), SWP_NOZORDER | SWP_NOACTIVATE);
        ::ShowWindow(control(id), place.Visible ? SW_SHOWNA : SW_HIDE);
        ::EnableWindow(control(id), place.Enabled);
    }
    apply_control_look();
    ::InvalidateRect(window_, nullptr, TRUE);
}

// The lists, the check box and the Ok button take the skin's look: the
// captions' font and colour on a face made from the background under the
// controls, instead of the light system look on a dark skin.
void TFSettings::apply_control_look() {
    const std::uint32_t text = argb_of(language_label_->color());
    Rect under{};
    for (const Control id :
         {Box_Language, Check_Autoclose, Box_Proxy, Box_DriveType, Box_CheckType}) {
        RECT place;
        ::GetWindowRect(control(id), &place);
        ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&place), 2);
        const Rect field{place.left, place.top, place.right, place.top + 21};
        under =
            under.empty()
                ? field
                : Rect{std::min(under.left, field.left), std::min(under.top, field.top),
                       std::max(under.right, field.right), std::max(under.bottom, field.bottom)};
    }
    const std::uint32_t ground = MeanColor(background_, under);
    face_ = colorref(MixColors(ground, text, 0.12));
    text_color_ = colorref(text);
    faint_ = colorref(MixColors(text, ground, 0.55));
    highlight_ = colorref(MixColors(ground, text, 0.32));
    if (face_brush_ != nullptr)
        ::DeleteObject(face_brush_);
    face_brush_ = ::CreateSolidBrush(face_);
    font_ = language_label_->font();
    for (const Control id :
         {Box_Language, Check_Autoclose, Box_Proxy, Box_DriveType, Box_CheckType, Button_Ok}) {
        ::SendMessageW(control(id), WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
        ::InvalidateRect(control(id), nullptr, TRUE);
    }
}

void TFSettings::ShowModal(int left, int top, Win32EventLoop& loop) {
    ::SetWindowPos(window_, HWND_TOP, left, top, 0, 0, SWP_NOSIZE);
    presenter_->FormShow();
    open_ = true;
    ::ShowWindow(window_, SW_SHOW);
    ::SetForegroundWindow(window_);
    while (open_ && !platform::application_terminated() && !loop.quitting())
        loop.process_pending(platform::Milliseconds(1000));
    Hide();
}

void TFSettings::Hide() {
    open_ = false;
    ::ShowWindow(window_, SW_HIDE);
    presenter_->FormHide();
}

// SettingsSurface

HWND TFSettings::control(front::SettingsControl which) const {
    switch (which) {
    case front::SettingsControl::Box_Language:
        return control(Box_Language);
    case front::SettingsControl::Check_Autoclose:
        return control(Check_Autoclose);
    case front::SettingsControl::Box_Proxy:
        return control(Box_Proxy);
    case front::SettingsControl::Box_DriveType:
        return control(Box_DriveType);
    case front::SettingsControl::Box_CheckType:
        return control(Box_CheckType);
    }
    return nullptr;
}

TLabel& TFSettings::caption(front::SettingsCaption which) const {
    switch (which) {
    case front::SettingsCaption::Title:
        return *title_label_;
    case front::SettingsCaption::Language:
        return *language_label_;
    case front::SettingsCaption::Autoclose:
        return *autoclose_label_;
    case front::SettingsCaption::Proxy:
        return *proxy_label_;
    case front::SettingsCaption::DriveType:
        return *drive_type_label_;
    case front::SettingsCaption::CheckType:
        break;
    }
    return *check_type_label_;
}

void TFSettings::SetCaption(front::SettingsCaption which, std::string_view text) {
    caption(which).SetCaption(text);
}

void TFSettings::SetEnabled(front::SettingsControl which, bool enabled) {
    ::EnableWindow(control(which), enabled);
}

bool TFSettings::Enabled(front::SettingsControl which) const {
    return ::IsWindowEnabled(control(which)) != FALSE;
}

void TFSettings::SetItems(front::SettingsControl which, const std::vector<std::string>& items) {
    fill_list(control(which), items);
}

void TFSettings::Select(front::SettingsControl which, int index) {
    ::SendMessageW(control(which), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int TFSettings::Selected(front::SettingsControl which) const {
    return static_cast<int>(::SendMessageW(control(which), CB_GETCURSEL, 0, 0));
}

std::string TFSettings::ItemText(front::SettingsControl which, int index) const {
    const HWND box = control(which);
    const LRESULT length = ::SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::wcslen(text.c_str()));
    return platform::win32::narrow(text);
}

void TFSettings::SetWidth(int width) {
    ::SetWindowPos(window_, nullptr, 0, 0, width, kDesignHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFSettings::SetChecked(bool checked) {
    checked_ = checked;
    ::InvalidateRect(control(Check_Autoclose), nullptr, FALSE);
}

// The system draws a list's raised frame and its arrow button in the
// system's light colours: they are drawn over in the skin's look after each
// paint.
LRESULT CALLBACK TFSettings::list_procedure(HWND box, UINT message, WPARAM wparam, LPARAM lparam,
                                            UINT_PTR, DWORD_PTR self_pointer) {
    const LRESULT result = ::DefSubclassProc(box, message, wparam, lparam);
    if (message == WM_PAINT || message == WM_ENABLE || message == WM_SETFOCUS ||
        message == WM_KILLFOCUS || message == CB_SETCURSEL)
        reinterpret_cast<TFSettings*>(self_pointer)->paint_list_frame(box);
    return result;
}

void TFSettings::paint_list_frame(HWND box) const {
    RECT area;
    ::GetClientRect(box, &area);
    const HDC dc = ::GetDC(box);
    const bool disabled = ::IsWindowEnabled(box) == FALSE;
    const HBRUSH face = ::CreateSolidBrush(face_);
    // The two-pixel frame, then the arrow button's area.
    for (int inset = 0; inset < 2; ++inset) {
        const RECT ring{area.left + inset, area.top + inset, area.right - inset,
                        area.bottom - inset};
        ::FrameRect(dc, &ring, face);
    }
    const HBRUSH frame = ::CreateSolidBrush(faint_);
    ::FrameRect(dc, &area, frame);
    const int button_width = ::GetSystemMetrics(SM_CXVSCROLL);
    const RECT button{area.right - 2 - button_width, area.top + 2, area.right - 2, area.bottom - 2};
    ::FillRect(dc, &button, face);
    ::DeleteObject(frame);
    ::DeleteObject(face);
    // A small downward triangle in the captions' colour.
    const COLORREF ink = disabled ? faint_ : text_color_;
    const HBRUSH ink_brush = ::CreateSolidBrush(ink);
    const HPEN ink_pen = ::CreatePen(PS_SOLID, 1, ink);
    const HGDIOBJ old_brush = ::SelectObject(dc, ink_brush);
    const HGDIOBJ old_pen = ::SelectObject(dc, ink_pen);
    const int middle_x = (button.left + button.right) / 2;
    const int middle_y = (button.top + button.bottom) / 2;
    const POINT arrow[] = {
        {middle_x - 4, middle_y - 2}, {middle_x + 4, middle_y - 2}, {middle_x, middle_y + 2}};
    ::Polygon(dc, arrow, 3);
    ::SelectObject(dc, old_pen);
    ::SelectObject(dc, old_brush);
    ::DeleteObject(ink_pen);
    ::DeleteObject(ink_brush);
    ::ReleaseDC(box, dc);
}

// Painting

void TFSettings::redraw(const Rect& before, const Rect& after) {
    for (const Rect& area : {before, after}) {
        if (area.empty())
            continue;
        const RECT rect{area.left, area.top, area.right, area.bottom};
        ::InvalidateRect(window_, &rect, FALSE);
    }
}

void TFSettings::paint(HDC dc, const RECT& area) {
    DibSection& picture = *picture_;
    picture.Fill({0, 0, kDesignWidth, kDesignHeight}, argb(0, 0, 0));
    picture.Draw(background_, 0, 0);
    picture.Sync();
    for (const TLabel* label :
         {title_label_.get(), language_label_.get(), autoclose_label_.get(), proxy_label_.get(),
          drive_type_label_.get(), check_type_label_.get()})
        label->Paint(picture.dc());
    picture.Sync();
    ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, picture.dc(),
             area.left, area.top, SRCCOPY);
}

void TFSettings::draw_item(const DRAWITEMSTRUCT& item) {
    const HDC dc = item.hDC;
    RECT area = item.rcItem;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    if (item.CtlType == ODT_BUTTON && item.CtlID == Check_Autoclose) {
        // A square box in the lists' face and frame, ticked when checked.
        const int side = std::min<int>(area.right - area.left, area.bottom - area.top);
        RECT box{area.left, area.top + (area.bottom - area.top - side) / 2, area.left + side, 0};
        box.bottom = box.top + side;
        const HBRUSH ground = ::CreateSolidBrush(face_);
        ::FillRect(dc, &area, ground);
        ::DeleteObject(ground);
        const HBRUSH frame = ::CreateSolidBrush(faint_);
        ::FrameRect(dc, &box, frame);
        ::DeleteObject(frame);
        if (checked_) {
            const HPEN pen = ::CreatePen(PS_SOLID, 2, disabled ? faint_ : text_color_);
            const HGDIOBJ previous = ::SelectObject(dc, pen);
            ::MoveToEx(dc, box.left + 3, box.top + side / 2, nullptr);
            ::LineTo(dc, box.left + side / 2 - 1, box.bottom - 4);
            ::LineTo(dc, box.right - 3, box.top + 3);
            ::SelectObject(dc, previous);
            ::DeleteObject(pen);
        }
        return;
    }
    if (item.CtlType == ODT_BUTTON) {
        const bool pressed = (item.itemState & ODS_SELECTED) != 0;
        const HBRUSH face = ::CreateSolidBrush(pressed ? highlight_ : face_);
        ::FillRect(dc, &area, face);
        ::DeleteObject(face);
        const HBRUSH frame = ::CreateSolidBrush(faint_);
        ::FrameRect(dc, &area, frame);
        ::DeleteObject(frame);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, disabled ? faint_ : text_color_);
        const HGDIOBJ previous = ::SelectObject(dc, font_);
        ::DrawTextW(dc, L"Ok", 2, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        ::SelectObject(dc, previous);
        return;
    }
    // A list's item, or its selection field (itemID -1 when nothing is selected).
    const bool highlighted = (item.itemState & ODS_SELECTED) != 0 && !disabled;
    const HBRUSH face = ::CreateSolidBrush(highlighted ? highlight_ : face_);
    ::FillRect(dc, &area, face);
    ::DeleteObject(face);
    if (item.itemID == static_cast<UINT>(-1))
        return;
    const LRESULT length = ::SendMessageW(item.hwndItem, CB_GETLBTEXTLEN, item.itemID, 0);
    if (length <= 0)
        return;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::SendMessageW(item.hwndItem, CB_GETLBTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, disabled ? faint_ : text_color_);
    const HGDIOBJ previous = ::SelectObject(dc, font_);
    area.left += 3;
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    ::SelectObject(dc, previous);
}

LRESULT TFSettings::handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint_info;
        const HDC dc = ::BeginPaint(window, &paint_info);
        paint(dc, paint_info.rcPaint);
        ::EndPaint(window, &paint_info);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
        measure->itemHeight = kItemHeight;
        return TRUE;
    }
    case WM_DRAWITEM:
        draw_item(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT: {
        const auto dc = reinterpret_cast<HDC>(wparam);
        ::SetTextColor(dc, text_color_);
        ::SetBkColor(dc, face_);
        if (face_brush_ != nullptr)
            return reinterpret_cast<LRESULT>(face_brush_);
        break;
    }
    case WM_COMMAND:
        if (LOWORD(wparam) == Check_Autoclose && HIWORD(wparam) == BN_CLICKED) {
            SetChecked(!checked_);
            return 0;
        }
        if (LOWORD(wparam) == Button_Ok && HIWORD(wparam) == BN_CLICKED) {
            open_ = false;
            return 0;
        }
        // Only the player's picks count, not the selection an opening shows.
        if (LOWORD(wparam) == Box_Language && HIWORD(wparam) == CBN_SELCHANGE) {
            presenter_->Box_LanguageChange();
            return 0;
        }
        break;
    case WM_CLOSE:
        open_ = false;
        return 0;
    case WM_KEYDOWN:
        if (wparam == VK_ESCAPE || wparam == VK_RETURN) {
            open_ = false;
            return 0;
        }
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
}

} // namespace launcher::app
