#include "app_win32/message_panel.h"

#include "app_win32/window_class.h"
#include "front/readable_colors.h"
#include "platform/win32/win32_text.h"

#include <algorithm>

namespace launcher::app {
namespace {

constexpr wchar_t kWindowClass[] = L"LauncherMessagePanel";
// The panel's colour 0x004A525A as designed, and its place: 552, 35, 239 x 45.
constexpr COLORREF kPanelColor = 0x004A525A;
constexpr int kLeft = 552;
constexpr int kTop = 35;
constexpr int kWidth = 239;
// The label's place inside the panel: 29, 9, 196 x 29, which leaves 7
// pixels below it in the 45-pixel panel; the "X" button's: 2, 27, 18 x 17.
constexpr RECT kLabel{29, 9, 29 + 196, 9 + 29};
constexpr int kBottomMargin = 7;
constexpr RECT kCloseButton{2, 27, 2 + 18, 27 + 17};

} // namespace

MessagePanel::MessagePanel(platform::EventLoop& loop, HWND parent) : loop_(loop) {
    RegisterObjectWindowClass<MessagePanel>(kWindowClass);
    font_ = ::CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                          DEFAULT_PITCH | FF_SWISS, L"Tahoma");
    window_ = ::CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_CLIPSIBLINGS, kLeft, kTop,
                                kWidth, kGrowSteps * kGrowPixels, parent, nullptr,
                                ::GetModuleHandleW(nullptr), this);
}

MessagePanel::~MessagePanel() {
    loop_.stop_timer(MsgTimer);
    loop_.stop_timer(MsgTimer2);
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DeleteObject(font_);
}

void MessagePanel::MsgShow(std::string_view text) {
    text_ = platform::win32::wide(text);
    const HDC screen = ::GetDC(nullptr);
    const HGDIOBJ previous = ::SelectObject(screen, font_);
    RECT area = kLabel;
    ::DrawTextW(screen, text_.c_str(), static_cast<int>(text_.size()), &area,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(screen, previous);
    ::ReleaseDC(nullptr, screen);
    text_height_ = area.bottom - area.top;
    label_height_ = std::max<int>(kLabel.bottom - kLabel.top, text_height_);
    // An open panel takes the height of its new text at once.
    if (MsgTimer2 != 0)
        ::SetWindowPos(window_, HWND_TOP, 0, 0, kWidth, OpenHeight(), SWP_NOMOVE);
    ::InvalidateRect(window_, nullptr, TRUE);
    if (!visible() && MsgTimer == 0)
        MsgTimer = loop_.start_timer(platform::Milliseconds(100), [this] { MsgTimerTimer(); });
}

int MessagePanel::OpenHeight() const {
    return std::max(kGrowSteps * kGrowPixels,
                    static_cast<int>(kLabel.top) + label_height_ + kBottomMargin);
}

void MessagePanel::MsgTimerTimer() {
    ++steps_;
    const int open_height = OpenHeight();
    const int height = std::min(kGrowPixels * steps_, open_height);
    ::SetWindowPos(window_, HWND_TOP, 0, 0, kWidth, height, SWP_NOMOVE | SWP_SHOWWINDOW);
    ::UpdateWindow(window_);
    if (height >= open_height) {
        loop_.stop_timer(MsgTimer);
        MsgTimer = 0;
        MsgTimer2 = loop_.start_timer(platform::Milliseconds(10000), [this] { close_panel(); });
    }
}

void MessagePanel::close_panel() {
    steps_ = 0;
    loop_.stop_timer(MsgTimer);
    loop_.stop_timer(MsgTimer2);
    MsgTimer = 0;
    MsgTimer2 = 0;
    ::ShowWindow(window_, SW_HIDE);
}

void MessagePanel::paint(HDC dc) const {
    RECT client;
    ::GetClientRect(window_, &client);
    const HBRUSH face = ::CreateSolidBrush(kPanelColor);
    ::FillRect(dc, &client, face);
    ::DeleteObject(face);
    const HGDIOBJ previous = ::SelectObject(dc, font_);
    ::SetBkMode(dc, TRANSPARENT);
    // The text keeps a readable contrast on the panel.
    const front::Rgb text =
        front::ReadableTextColor(front::kMessagePanelBackground, front::kMessagePanelWantedText);
    ::SetTextColor(dc, RGB(text.red, text.green, text.blue));
    // The text stands in the middle of the label's height, as a short message
    // in the designed label does.
    const int top = kLabel.top + (label_height_ - text_height_) / 2;
    RECT label{kLabel.left, top, kLabel.right, top + text_height_};
    ::DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &label,
                DT_WORDBREAK | DT_NOPREFIX);
    // The flat "X" button.
    RECT button = kCloseButton;
    ::SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
    ::DrawTextW(dc, L"X", 1, &button, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::SelectObject(dc, previous);
}

LRESULT MessagePanel::handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint_info;
        const HDC dc = ::BeginPaint(window, &paint_info);
        paint(dc);
        ::EndPaint(window, &paint_info);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR: {
        POINT at;
        ::GetCursorPos(&at);
        ::ScreenToClient(window, &at);
        ::SetCursor(::LoadCursorW(nullptr, ::PtInRect(&kCloseButton, at) ? IDC_HAND : IDC_ARROW));
        return TRUE;
    }
    case WM_LBUTTONUP: {
        const POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
        if (::PtInRect(&kCloseButton, at))
            close_panel();
        return 0;
    }
    default:
        return ::DefWindowProcW(window, message, wparam, lparam);
    }
}

} // namespace launcher::app
