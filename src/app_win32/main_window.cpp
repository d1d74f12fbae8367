#include "app_win32/main_window.h"

#include "app_win32/control_host.h"
#include "app_win32/dib_section.h"
#include "app_win32/message_panel.h"
#include "app_win32/news_browser.h"
#include "app_win32/settings_window.h"
#include "app_win32/skin_label.h"
#include "app_win32/tray_icon.h"
#include "app_win32/win32_event_loop.h"
#include "app_win32/win32_region.h"
#include "app_win32/window_class.h"
#include "config/player_choices.h"
#include "platform/child_process.h"
#include "platform/process_start.h"
#include "platform/utf8_path.h"
#include "platform/win32/win32_text.h"
#include "skin/skin_apply.h"
#include "update/launcher_handover.h"

#include <commctrl.h>
#include <stdexcept>

namespace launcher::app {
namespace {

std::wstring wide(std::string_view text) {
    return platform::win32::wide(text);
}

// The news panel: a plain child window that holds the browser and clips it.
constexpr wchar_t kWebPanelClass[] = L"LauncherWebPanel";
LRESULT CALLBACK web_panel_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return ::DefWindowProcW(window, message, wparam, lparam);
}

HWND create_web_panel(HWND parent) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &web_panel_procedure;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    window_class.lpszClassName = kWebPanelClass;
    ::RegisterClassExW(&window_class);
    return ::CreateWindowExW(0, kWebPanelClass, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                             9, 35, 782, 424, parent, nullptr, ::GetModuleHandleW(nullptr),
                             nullptr);
}

TShiftState shift_state(WPARAM keys) {
    TShiftState shift = 0;
    if (keys & MK_SHIFT)
        shift |= ssShift;
    if (keys & MK_CONTROL)
        shift |= ssCtrl;
    if (::GetKeyState(VK_MENU) < 0)
        shift |= ssAlt;
    if (keys & MK_LBUTTON)
        shift |= ssLeft;
    if (keys & MK_RBUTTON)
        shift |= ssRight;
    if (keys & MK_MBUTTON)
        shift |= ssMiddle;
    return shift;
}

} // namespace

TFMain::TFMain(Win32EventLoop& loop, StartupState& startup, MainWindowSetup setup)
    : loop_(loop), startup_(startup) {
    background_ = WithoutAlpha(front::MainWindowPresenter::Background(startup_));
    create_window();
    create_controls();
    create_hints();
    // Through the shell with "runas": the client may need the administrator's
    // rights.
    setup.client_elevation = platform::Elevation::Elevated;
    presenter_ = std::make_unique<front::MainWindowPresenter>(loop_, startup_, std::move(setup),
                                                              *this, controls_);

    icon_ = LauncherIcon(background_, 32);
    small_icon_ = LauncherIcon(background_, 16);
    ::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    ::SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_));
    tray_icon_ = std::make_unique<TrayIcon>(window_, small_icon_);
    if (const auto region = MainWindowRegion(startup_.Skin->MainWindow.BackGroundImage))
        if (const HRGN outline = ToHrgn(*region))
            ::SetWindowRgn(window_, outline, TRUE); // the window owns the region now
}

TFMain::~TFMain() {
    presenter_.reset();
    news_browser_.reset();
    message_panel_.reset();
    hosts_.clear();
    if (window_ != nullptr) {
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        ::DestroyWindow(window_);
    }
    if (icon_ != nullptr)
        ::DestroyIcon(icon_);
    if (small_icon_ != nullptr)
        ::DestroyIcon(small_icon_);
}

void TFMain::create_window() {
    RegisterObjectWindowClass<TFMain>(kWindowClass);
    // Borderless, with a taskbar button; layered only while it fades in.
    window_ = ::CreateWindowExW(WS_EX_APPWINDOW, kWindowClass, L"",
                                WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_SYSMENU, 0, 0,
                                background_.width(), background_.height(), nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), this);
    if (window_ == nullptr)
        throw std::runtime_error("Cannot create the main window");
    picture_ = std::make_unique<DibSection>(background_.width(), background_.height());
}

void TFMain::create_controls() {
    const auto add = [this](SkinControl& model, ControlHost::Painter painter) {
        hosts_.push_back(std::make_unique<ControlHost>(window_, model, std::move(painter)));
        layers_.push_back({hosts_.back().get(), nullptr});
    };
    const auto add_button = [this](TImageButton& model) {
        auto host = std::make_unique<ImageButtonHost>(window_, model);
        ImageButtonHost* button = host.get();
        model.PointerIsOver = [this, button] {
            POINT at;
            ::GetCursorPos(&at);
            if (::WindowFromPoint(at) != window_)
                return false;
            ::ScreenToClient(window_, &at);
            return button_at(at.x, at.y) == button;
        };
        buttons_.push_back(button);
        layers_.push_back({button, nullptr});
        hosts_.push_back(std::move(host));
        return button;
    };
    const auto add_label = [this](std::unique_ptr<TLabel>& label, TLabel::Kind kind, int left,
                                  int top) {
        label = std::make_unique<TLabel>(kind, left, top);
        label->SetChangeHandler(
            [this](const Rect& before, const Rect& after) { redraw_now(before, after); });
        layers_.push_back({nullptr, label.get()});
    };

    // Declared order: later controls lie on top of earlier ones.
    add(controls_.ProgressBar_OneFile, [this] { return controls_.ProgressBar_OneFile.Paint(); });
    add(controls_.ProgressBar_Total, [this] { return controls_.ProgressBar_Total.Paint(); });
    add_label(status_label_, TLabel::Kind::Shadowed, 39, 505);
    add_label(title_label_, TLabel::Kind::Plain, 24, 13);
    web_panel_ = create_web_panel(window_);
    // The panel clips the browser's first 19 rows and its right and bottom edges.
    news_browser_ = std::make_unique<NewsBrowser>(web_panel_, 0, -19, 788, 464);
    news_browser_->SetOnCompleted([this] { presenter_->WebBrowser1NavigateComplete2(); });
    news_browser_->SetOnFailed([this] { presenter_->WebBrowser1NavigateError(); });
    message_panel_ = std::make_unique<MessagePanel>(loop_, window_);
    start_button_ = add_button(controls_.Button_StartGame);
    add_button(controls_.Button_Cancel);
    check_all_button_ = add_button(controls_.Button_CheckAllFiles);
    add_button(controls_.Button_Close);
    add_button(controls_.Button_Minimize);
    add_button(controls_.Button_Config);
    add(controls_.Gauge_OneFile, [this] { return controls_.Gauge_OneFile.Paint(); });
    add(controls_.Gauge_Total, [this] { return controls_.Gauge_Total.Paint(); });
    add_label(total_status_label_, TLabel::Kind::Shadowed, 40, 542);
    add_label(lang_box_description_label_, TLabel::Kind::Shadowed, 244, 627);
    // The message panel lies above the news page.
    ::SetWindowPos(message_panel_->window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TFMain::create_hints() {
    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    for (const UINT_PTR id : {kStartHint, kCheckAllHint}) {
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = window_;
        tool.uId = id;
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

// The hints follow the two buttons wherever the skin and their images put them.
void TFMain::place_hints() {
    if (tooltip_ == nullptr)
        return;
    for (const auto& [id, host] :
         {std::pair{kStartHint, start_button_}, std::pair{kCheckAllHint, check_all_button_}}) {
        const Rect place = host->model().Visible() ? host->bounds() : Rect{};
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = window_;
        tool.uId = id;
        tool.rect = {place.left, place.top, place.right, place.bottom};
        ::SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void TFMain::SetDataToForm() {
    const TqorMainWindow& skin = startup_.Skin->MainWindow;
    controls_.ApplySkin(skin);
    title_label_->ApplySkin(LabelSkinValues(skin.Text_Title.parameters));
    status_label_->ApplySkin(LabelSkinValues(skin.Text_Status.parameters));
    total_status_label_->ApplySkin(LabelSkinValues(skin.Text_StatusTotal.parameters));
    const LabelSkin panel = LabelSkinValues(skin.WebPanel.parameters);
    ::SetWindowPos(web_panel_, nullptr, panel.Left, panel.Top, std::max(panel.Width, 0),
                   std::max(panel.Height, 0), SWP_NOZORDER | SWP_NOACTIVATE);
    ::EnableWindow(web_panel_, panel.Enabled);
    if (!panel.Visible)
        ::ShowWindow(web_panel_, SW_HIDE);
    lang_box_description_label_->ApplySkin(
        LabelSkinValues(skin.Text_LangBoxDescription.parameters));
    SetStartGameEnabled(controls_.Button_StartGame.Enabled());
    ::InvalidateRect(window_, nullptr, FALSE);
}

void TFMain::SetCaption(const std::string& caption) {
    ::SetWindowTextW(window_, wide(caption).c_str());
}

void TFMain::SetTrayHint(const std::string& hint) {
    tray_icon_->SetHint(wide(hint));
}

void TFMain::Show() {
    ::ShowWindow(window_, SW_SHOW);
    ::UpdateWindow(window_);
    presenter_->FormShow();
}

// MainWindowSurface

void TFMain::redraw_now(const Rect& before, const Rect& after) {
    for (const Rect& area : {before, after}) {
        if (area.empty())
            continue;
        const RECT rect{area.left, area.top, area.right, area.bottom};
        ::InvalidateRect(window_, &rect, FALSE);
    }
    if (::IsWindowVisible(window_))
        ::UpdateWindow(window_);
}

void TFMain::SetStatus(std::string_view text) {
    status_label_->SetCaption(text);
}

void TFMain::SetTotalStatus(std::string_view text) {
    total_status_label_->SetCaption(text);
}

void TFMain::MsgShow(std::string_view text) {
    message_panel_->MsgShow(text);
}

void TFMain::SetStartGameEnabled(bool enabled) {
    controls_.Button_StartGame.SetEnabled(enabled);
    controls_.Button_StartGame.Repaint();
}

void TFMain::SetCheckAllFilesVisible(bool visible) {
    controls_.Button_CheckAllFiles.SetVisible(visible);
    controls_.Button_CheckAllFiles.Repaint();
}

void TFMain::SetCheckAllFilesEnabled(bool enabled) {
    controls_.Button_CheckAllFiles.SetEnabled(enabled);
    controls_.Button_CheckAllFiles.Repaint();
}

Rect TFMain::Frame() const {
    RECT rect{};
    ::GetWindowRect(window_, &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

Rect TFMain::Screen() const {
    return {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

void TFMain::MoveTo(int left, int top) {
    ::SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void TFMain::SetAlpha(int alpha) {
    if (alpha >= 255) {
        if (!layered_)
            return;
        // Opaque: alpha blending is switched off again.
        ::SetWindowLongPtrW(window_, GWL_EXSTYLE,
                            ::GetWindowLongPtrW(window_, GWL_EXSTYLE) & ~WS_EX_LAYERED);
        layered_ = false;
        ::RedrawWindow(window_, nullptr, nullptr,
                       RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
        return;
    }
    if (!layered_) {
        ::SetWindowLongPtrW(window_, GWL_EXSTYLE,
                            ::GetWindowLongPtrW(window_, GWL_EXSTYLE) | WS_EX_LAYERED);
        layered_ = true;
    }
    ::SetLayeredWindowAttributes(window_, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
}

void TFMain::SetTitle(std::string_view caption) {
    title_label_->SetCaption(caption);
}

void TFMain::SetLanguageDescription(std::string_view text) {
    lang_box_description_label_->SetCaption(text);
}

void TFMain::SetHints(std::string_view start_game, std::string_view check_all) {
    start_hint_ = wide(start_game);
    check_all_hint_ = wide(check_all);
}

void TFMain::Navigate(const std::string& address) {
    news_browser_->Navigate(wide(address));
}

void TFMain::StopNews() {
    news_browser_->Stop();
}

void TFMain::DetachNewsHandlers() {
    news_browser_->DetachHandlers();
}

void TFMain::ShowNewsPanel(bool shown) {
    ::ShowWindow(web_panel_, shown ? SW_SHOWNA : SW_HIDE);
    ::InvalidateRect(window_, nullptr, FALSE);
}

std::optional<SettingsChoices> TFMain::RunSettings(Point at) {
    if (settings_window_ == nullptr)
        return std::nullopt;
    // The main window takes no input while the dialog is open.
    ::EnableWindow(window_, FALSE);
    try {
        settings_window_->ShowModal(at.x, at.y, loop_);
    } catch (...) {
        ::EnableWindow(window_, TRUE);
        throw;
    }
    ::EnableWindow(window_, TRUE);
    ::SetForegroundWindow(window_);
    return settings_window_->Choices();
}

bool TFMain::HasTrayIcon() const {
    return tray_icon_->shown();
}

void TFMain::HideToTray() {
    ::ShowWindow(window_, SW_HIDE);
}

void TFMain::Minimize() {
    ::ShowWindow(window_, SW_MINIMIZE);
}

void TFMain::BringToFront() {
    if (::IsIconic(window_))
        ::ShowWindow(window_, SW_RESTORE);
    ::ShowWindow(window_, SW_SHOW);
    ::SetForegroundWindow(window_);
}

void TFMain::RemoveTrayIcon() {
    tray_icon_->Remove();
}

std::wstring TFMain::caption() const {
    std::wstring text(256, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window_, text.data(), static_cast<int>(text.size()))));
    return text;
}

void TFMain::ShowError(const std::string& text) {
    ::MessageBoxW(window_, wide(text).c_str(), caption().c_str(), MB_OK | MB_ICONERROR);
}

void TFMain::Quit() {
    if (settings_window_ != nullptr)
        settings_window_->Hide();
    ::ShowWindow(window_, SW_HIDE);
    loop_.Quit(0);
}

std::string TFMain::Restart(const front::RestartRequest& request) {
    // The new launcher must not find this one by its caption and end.
    const std::wstring previous = caption();
    ::SetWindowTextW(window_, L"");
    // This launcher waits, as the new one's parent, until that one confirmed
    // its start; otherwise it puts itself back and goes on.
    std::vector<std::string> command{platform::utf8_of(request.program)};
    command.insert(command.end(), request.arguments.begin(), request.arguments.end());
    const HandOver handover = HandOverToSuccessor(
        loop_, UpdaterFolder(request.folder) / kStartedMarkerName, [&](std::string& error) {
            return platform::start_child(request.program, command, request.folder,
                                         platform::Elevation::Elevated, error);
        });
    if (!handover.successor) {
        ::SetWindowTextW(window_, previous.c_str());
        return handover.failure;
    }
    tray_icon_->Remove();
    ::ExitProcess(0);
}

// Painting

void TFMain::paint(HDC dc, const RECT& area) {
    DibSection& picture = *picture_;
    picture.Draw(background_, 0, 0);
    for (const Layer& layer : layers_) {
        if (layer.control != nullptr)
            layer.control->Paint(picture);
        else if (layer.label != nullptr) {
            picture.Sync();
            layer.label->Paint(picture.dc());
        }
    }
    picture.Sync();
    place_hints();
    ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, picture.dc(),
             area.left, area.top, SRCCOPY);
}

// The mouse

ImageButtonHost* TFMain::button_at(int x, int y) {
    for (auto layer = layers_.rbegin(); layer != layers_.rend(); ++layer) {
        if (layer->label != nullptr && layer->label->Contains(x, y))
            return nullptr;
        if (layer->control != nullptr && layer->control->Contains(x, y)) {
            for (ImageButtonHost* button : buttons_)
                if (button == layer->control)
                    return button;
        }
    }
    return nullptr;
}

bool TFMain::label_at(int x, int y) const {
    for (const Layer& layer : layers_)
        if (layer.label != nullptr && layer.label->Contains(x, y))
            return true;
    return false;
}

void TFMain::mouse_down(MouseButton which, int x, int y, WPARAM keys) {
    if (ImageButtonHost* button = button_at(x, y)) {
        pressed_ = button;
        ::SetCapture(window_);
        const Rect place = button->bounds();
        button->button().MouseDown(which, shift_state(keys), x - place.left, y - place.top);
        return;
    }
    if (label_at(x, y))
        return;
    // Any mouse button on the background drags the window.
    dragging_ = true;
    drag_x_ = x;
    drag_y_ = y;
    ::SetCapture(window_);
}

void TFMain::mouse_up(MouseButton which, int x, int y, WPARAM keys) {
    if (pressed_ != nullptr) {
        ImageButtonHost* button = pressed_;
        if (which == MouseButton::Left || (keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0) {
            pressed_ = nullptr;
            ::ReleaseCapture();
        }
        const Rect place = button->bounds();
        button->button().MouseUp(which, shift_state(keys), x - place.left, y - place.top);
        return;
    }
    if (dragging_) {
        dragging_ = false;
        ::ReleaseCapture();
    }
}

void TFMain::mouse_move(int x, int y) {
    if (dragging_) {
        const Rect at = Frame();
        ::SetWindowPos(window_, nullptr, at.left + x - drag_x_, at.top + y - drag_y_, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    if (!tracking_leave_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
        tracking_leave_ = ::TrackMouseEvent(&track) != FALSE;
    }
    if (pressed_ != nullptr)
        return;
    ImageButtonHost* over = button_at(x, y);
    if (over == hovered_)
        return;
    ImageButtonHost* left = hovered_;
    hovered_ = over;
    if (left != nullptr)
        left->button().MouseLeave();
    if (over != nullptr)
        over->button().MouseEnter();
}

LRESULT TFMain::handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const int x = static_cast<short>(LOWORD(lparam));
    const int y = static_cast<short>(HIWORD(lparam));
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
    case WM_LBUTTONDOWN:
        mouse_down(MouseButton::Left, x, y, wparam);
        return 0;
    case WM_RBUTTONDOWN:
        mouse_down(MouseButton::Right, x, y, wparam);
        return 0;
    case WM_MBUTTONDOWN:
        mouse_down(MouseButton::Middle, x, y, wparam);
        return 0;
    case WM_LBUTTONUP:
        mouse_up(MouseButton::Left, x, y, wparam);
        return 0;
    case WM_RBUTTONUP:
        mouse_up(MouseButton::Right, x, y, wparam);
        return 0;
    case WM_MBUTTONUP:
        mouse_up(MouseButton::Middle, x, y, wparam);
        return 0;
    case WM_MOUSEMOVE:
        mouse_move(x, y);
        return 0;
    case WM_MOUSELEAVE:
        tracking_leave_ = false;
        if (hovered_ != nullptr && pressed_ == nullptr) {
            ImageButtonHost* left = hovered_;
            hovered_ = nullptr;
            left->button().MouseLeave();
        }
        return 0;
    case WM_CAPTURECHANGED:
        dragging_ = false;
        pressed_ = nullptr;
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lparam) == HTCLIENT && reinterpret_cast<HWND>(wparam) == window) {
            POINT at;
            ::GetCursorPos(&at);
            ::ScreenToClient(window, &at);
            const ImageButtonHost* over = button_at(at.x, at.y);
            LPCWSTR shape = IDC_ARROW;
            if (over == start_button_)
                shape = controls_.Button_StartGame.Enabled() ? IDC_HAND : IDC_NO;
            else if (over != nullptr)
                shape = IDC_HAND;
            ::SetCursor(::LoadCursorW(nullptr, shape));
            return TRUE;
        }
        break;
    case TrayIcon::kCallbackMessage:
        if (LOWORD(lparam) == WM_LBUTTONUP || LOWORD(lparam) == WM_LBUTTONDBLCLK)
            presenter_->TrayIconClick();
        return 0;
    case WM_CLOSE:
        presenter_->Button_CloseClick();
        return 0;
    case WM_NOTIFY: {
        auto* request = reinterpret_cast<NMTTDISPINFOW*>(lparam);
        if (request->hdr.code == TTN_GETDISPINFOW) {
            const std::wstring& hint =
                request->hdr.idFrom == kStartHint ? start_hint_ : check_all_hint_;
            request->lpszText = const_cast<wchar_t*>(hint.c_str());
            return 0;
        }
        break;
    }
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
}

} // namespace launcher::app
