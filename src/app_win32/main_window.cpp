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
#include "config/language_table.h"
#include "config/launcher_paths.h"
#include "config/player_choices.h"
#include "launch/game_start.h"
#include "launch/proxy_probe.h"
#include "launch/settings_choices.h"
#include "platform/child_process.h"
#include "platform/process_start.h"
#include "platform/system_language.h"
#include "platform/terminate_flag.h"
#include "platform/utf8_path.h"
#include "platform/win32/win32_text.h"
#include "skin/range_indicator.h"
#include "skin/skin_apply.h"
#include "update/launcher_handover.h"
#include "update/update_workflow.h"
#include "update/workflow_setup.h"

#include <commctrl.h>
#include <iostream>
#include <stdexcept>

namespace launcher::app {
namespace {

const std::string& text_of(int index) {
    return LanguageStrings()[static_cast<std::size_t>(index)];
}

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
    : loop_(loop), startup_(startup), setup_(std::move(setup)) {
    FormCreate();
}

TFMain::~TFMain() {
    for (const std::uint64_t timer : {MainTimer, NewsTimer, FadeTimer})
        loop_.stop_timer(timer);
    WebBrowser1.reset();
    MsgPanel.reset();
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
    add_label(Text_Status, TLabel::Kind::Shadowed, 39, 505);
    add_label(Text_Title, TLabel::Kind::Plain, 24, 13);
    WebPanel = create_web_panel(window_);
    // The panel clips the browser's first 19 rows and its right and bottom edges.
    WebBrowser1 = std::make_unique<NewsBrowser>(WebPanel, 0, -19, 788, 464);
    WebBrowser1->SetOnCompleted([this] { WebBrowser1NavigateComplete2(); });
    WebBrowser1->SetOnFailed([this] { WebBrowser1NavigateError(); });
    MsgPanel = std::make_unique<MessagePanel>(loop_, window_);
    start_button_ = add_button(controls_.Button_StartGame);
    add_button(controls_.Button_Cancel);
    check_all_button_ = add_button(controls_.Button_CheckAllFiles);
    add_button(controls_.Button_Close);
    add_button(controls_.Button_Minimize);
    add_button(controls_.Button_Config);
    add(controls_.Gauge_OneFile, [this] { return controls_.Gauge_OneFile.Paint(); });
    add(controls_.Gauge_Total, [this] { return controls_.Gauge_Total.Paint(); });
    add_label(Text_StatusTotal, TLabel::Kind::Shadowed, 40, 542);
    add_label(Text_LangBoxDescription, TLabel::Kind::Shadowed, 244, 627);
    // The message panel lies above the news page.
    ::SetWindowPos(MsgPanel->window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    controls_.Button_Close.OnClick = [this](SkinControl&) { Button_CloseClick(); };
    controls_.Button_Cancel.OnClick = [this](SkinControl&) { Button_CloseClick(); };
    controls_.Button_Minimize.OnClick = [this](SkinControl&) { MinimizeButtonClick(); };
    controls_.Button_StartGame.OnClick = [this](SkinControl&) { Button_StartGameClick(); };
    controls_.Button_Config.OnClick = [this](SkinControl&) { Button_ConfigClick(); };
    controls_.Button_CheckAllFiles.OnClick = [this](SkinControl&) {
        try {
            workflow_->Button_CheckAllFilesClick();
        } catch (const std::exception& error) {
            report_error(error.what());
        }
    };
}

void TFMain::FormCreate() {
    const Bitmap& skin_background = startup_.Skin->MainWindow.BackGroundImage.image;
    if (skin_background.empty())
        throw std::runtime_error("Sorry! Not found the config");
    background_ = WithoutAlpha(skin_background);

    RegisterObjectWindowClass<TFMain>(kWindowClass);
    const tConfigData& config = *startup_.ConfigData;
    // Borderless, with a taskbar button; layered only while it fades in.
    window_ = ::CreateWindowExW(WS_EX_APPWINDOW, kWindowClass, L"",
                                WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_SYSMENU, 0, 0,
                                background_.width(), background_.height(), nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), this);
    if (window_ == nullptr)
        throw std::runtime_error("Cannot create the main window");
    picture_ = std::make_unique<DibSection>(background_.width(), background_.height());
    create_controls();

    settings_ = LoadPlayerChoices(UpdaterFolder(setup_.MainPath), *startup_.ConfigData,
                                  LanguageStrings(), platform::system_default_language_id());
    SetLanguage();
    if (!config.MainWindow.Caption.empty())
        Text_Title->SetCaption(config.MainWindow.Caption);
    if (config.MainWindow.FadeEffect)
        set_layered_alpha(0);
    Text_LangBoxDescription->SetCaption(text_of(25));

    RemoveLeftBackup(setup_.MainPath, setup_.self_executable);
    std::error_code ignored;
    std::filesystem::create_directory(UpdaterFolder(setup_.MainPath), ignored);

    const CommandLine& command_line = startup_.command_line;
    const UpdateWorkflowSetup workflow_setup = MakeWorkflowSetup(
        setup_.MainPath, setup_.self_executable,
        command_line.FileModeActive ? std::optional(FileModeFolderPath(command_line.FileModeFolder))
                                    : std::nullopt);
    probe_ = std::make_unique<ProxyProbe>(loop_);
    workflow_ = std::make_unique<UpdateWorkflow>(loop_, *this, *startup_.ConfigData, settings_,
                                                 LanguageStrings(), workflow_setup);
    workflow_->proxy_probe = probe_.get();
    workflow_->RestartLauncher = [this] { return restart_launcher(); };

    icon_ = LauncherIcon(background_, 32);
    small_icon_ = LauncherIcon(background_, 16);
    ::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    ::SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_));
    TrayIcon_ = std::make_unique<TrayIcon>(window_, small_icon_);
    if (const auto region = MainWindowRegion(startup_.Skin->MainWindow.BackGroundImage))
        if (const HRGN outline = ToHrgn(*region))
            ::SetWindowRgn(window_, outline, TRUE); // the window owns the region now
}

std::string TFMain::relative_to_launcher_folder(std::string text) const {
    return WithoutLauncherFolder(std::move(text), setup_.MainPath);
}

void TFMain::SetLanguage() {
    start_hint_ = wide(text_of(9));
    check_all_hint_ = wide(text_of(8));
    if (tooltip_ == nullptr) {
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
    Text_Title->ApplySkin(LabelSkinValues(skin.Text_Title.parameters));
    Text_Status->ApplySkin(LabelSkinValues(skin.Text_Status.parameters));
    Text_StatusTotal->ApplySkin(LabelSkinValues(skin.Text_StatusTotal.parameters));
    const LabelSkin panel = LabelSkinValues(skin.WebPanel.parameters);
    ::SetWindowPos(WebPanel, nullptr, panel.Left, panel.Top, std::max(panel.Width, 0),
                   std::max(panel.Height, 0), SWP_NOZORDER | SWP_NOACTIVATE);
    ::EnableWindow(WebPanel, panel.Enabled);
    if (!panel.Visible)
        ::ShowWindow(WebPanel, SW_HIDE);
    Text_LangBoxDescription->ApplySkin(LabelSkinValues(skin.Text_LangBoxDescription.parameters));
    SetStartGameEnabled(controls_.Button_StartGame.Enabled());
    ::InvalidateRect(window_, nullptr, FALSE);
}

void TFMain::SetDebugFile(tDebugFile* debug_file) {
    debug_file_ = debug_file;
    workflow_->debug_file = debug_file;
}

void TFMain::SetCaption(const std::string& caption) {
    ::SetWindowTextW(window_, wide(caption).c_str());
}

void TFMain::SetTrayHint(const std::string& hint) {
    TrayIcon_->SetHint(wide(hint));
}

void TFMain::Show() {
    ::ShowWindow(window_, SW_SHOW);
    ::UpdateWindow(window_);
    FormShow();
}

void TFMain::FormShow() {
    if (_oneshot)
        return;
    _oneshot = true;
    if (settings_.MainLeft == -1 || settings_.MainTop == -1) {
        const int screen_width = ::GetSystemMetrics(SM_CXSCREEN);
        const int screen_height = ::GetSystemMetrics(SM_CYSCREEN);
        ::SetWindowPos(window_, nullptr, screen_width / 2 - background_.width() / 2,
                       screen_height / 2 - background_.height() / 2, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER);
    } else {
        ::SetWindowPos(window_, nullptr, settings_.MainLeft, settings_.MainTop, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER);
    }
    // The workflow starts a second after the news page has loaded or
    // failed, or at once when there is none.
    NewsURL = wide(text_of(0));
    if (NewsURL.empty()) {
        MainTimer = loop_.start_timer(platform::Milliseconds(1000), [this] { MainTimerTimer(); });
        return;
    }
    waiting_for_news_ = true;
    NewsTimer =
        loop_.start_timer(platform::Milliseconds(kNewsTimeLimitMs), [this] { NewsTimerTimer(); });
    WebBrowser1->Navigate(NewsURL);
}

void TFMain::WebBrowser1NavigateComplete2() {
    ::ShowWindow(WebPanel, SW_SHOWNA);
    ::InvalidateRect(window_, nullptr, FALSE);
    news_page_settled();
}

void TFMain::WebBrowser1NavigateError() {
    ::ShowWindow(WebPanel, SW_HIDE);
    ::InvalidateRect(window_, nullptr, FALSE);
    news_page_settled();
}

// The news page took too long: it counts as failed, and its load is given up
// so that it does not appear in the middle of the update.
void TFMain::NewsTimerTimer() {
    if (!waiting_for_news_)
        return;
    WebBrowser1->Stop();
    WebBrowser1NavigateError();
}

void TFMain::news_page_settled() {
    if (!waiting_for_news_)
        return;
    waiting_for_news_ = false;
    loop_.stop_timer(NewsTimer);
    NewsTimer = 0;
    if (!closed_)
        MainTimer = loop_.start_timer(platform::Milliseconds(1000), [this] { MainTimerTimer(); });
}

void TFMain::news_after_settings_closed() {
    WebBrowser1->DetachHandlers();
    const std::wstring news = wide(text_of(0));
    if (NewsURL == news)
        return;
    NewsURL = news;
    if (!NewsURL.empty())
        WebBrowser1->Navigate(NewsURL);
}

void TFMain::MainTimerTimer() {
    loop_.stop_timer(MainTimer);
    MainTimer = 0;
    if (startup_.ConfigData->MainWindow.FadeEffect)
        FadeTimer = loop_.start_timer(platform::Milliseconds(100), [this] { FadeTimerTimer(); });
    try {
        workflow_->MainTimerTimer();
    } catch (const std::exception& error) {
        report_error(error.what());
    }
}

void TFMain::set_layered_alpha(int alpha) {
    alpha_ = alpha;
    if (!layered_) {
        ::SetWindowLongPtrW(window_, GWL_EXSTYLE,
                            ::GetWindowLongPtrW(window_, GWL_EXSTYLE) | WS_EX_LAYERED);
        layered_ = true;
    }
    ::SetLayeredWindowAttributes(window_, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
}

void TFMain::FadeTimerTimer() {
    const int next = alpha_ + 30;
    if (next < 255) {
        set_layered_alpha(next);
        return;
    }
    loop_.stop_timer(FadeTimer);
    FadeTimer = 0;
    alpha_ = 255;
    if (layered_) {
        // Opaque: alpha blending is switched off again.
        ::SetWindowLongPtrW(window_, GWL_EXSTYLE,
                            ::GetWindowLongPtrW(window_, GWL_EXSTYLE) & ~WS_EX_LAYERED);
        layered_ = false;
        ::RedrawWindow(window_, nullptr, nullptr,
                       RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    }
}

void TFMain::report_error(const std::string& text) {
    if (closed_)
        return;
    std::wstring caption(256, L'\0');
    caption.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window_, caption.data(), static_cast<int>(caption.size()))));
    ::MessageBoxW(window_, wide(text).c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

// LauncherView

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
    Text_Status->SetCaption(text);
}

void TFMain::SetTotalStatus(std::string_view text) {
    Text_StatusTotal->SetCaption(text);
}

void TFMain::MsgShow(std::string_view text) {
    MsgPanel->MsgShow(text);
}

void TFMain::SetIndicator(Indicator which, const IndicatorValue& value) {
    ApplyIndicatorValue(IndicatorControl(controls_, which), value);
}

int TFMain::IndicatorWidth(Indicator which) const {
    return IndicatorControl(controls_, which).Width();
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

// Actions

void TFMain::Button_StartGameClick() {
    const tConfigData& config = *startup_.ConfigData;
    GameStartRequest request;
    request.MainPath = setup_.MainPath;
    request.language_folder_list = config.Config.LangFolder;
    request.LangFolder = settings_.LangFolder;
    request.UseProxy = config.ProxyServers.UseProxy;
    request.ProxyLine = workflow_->ProxyLine;
    // Through the shell with "runas": the client may need the administrator's
    // rights.
    platform::DetachedProcessStarter starter(platform::Elevation::Elevated);
    const GameStartResult result = StartGameClient(request, starter);
    if (!result.error.empty()) {
        // The player is told in the window; the launcher stays open even with
        // automatic closing, since no game was started.
        std::cerr << result.error << "\n";
        MsgShow(relative_to_launcher_folder(result.error));
        return;
    }
    if (settings_.AutoClose)
        Button_CloseClick();
}

void TFMain::MinimizeButtonClick() {
    // Without a notification area the window could not be brought back
    // once hidden: it goes to the taskbar instead.
    if (TrayIcon_->shown())
        ::ShowWindow(window_, SW_HIDE);
    else
        ::ShowWindow(window_, SW_MINIMIZE);
}

void TFMain::TrayIconClick() {
    if (::IsIconic(window_))
        ::ShowWindow(window_, SW_RESTORE);
    ::ShowWindow(window_, SW_SHOW);
    ::SetForegroundWindow(window_);
}

void TFMain::probe_chosen_proxy() {
    const tGameProxysRecord& proxies = startup_.ConfigData->ProxyServers;
    const std::int32_t chosen = settings_.ProxyIdx;
    if (chosen < 1 || static_cast<std::size_t>(chosen) > proxies.Servers.size())
        return;
    // A scratch index keeps ProxyIdx at the chosen entry (the probe writes
    // the winner's place in its one-entry list into the index it is given).
    std::int32_t winner = -1;
    const std::string answer = probe_->CheckProxyServers(
        {proxies.Servers[static_cast<std::size_t>(chosen - 1)]}, proxies.Port, winner);
    if (answer.empty()) {
        MsgShow(text_of(21));
        SetStatus(text_of(21));
        return;
    }
    workflow_->ProxyLine = answer;
}

void TFMain::Button_ConfigClick() {
    // The proxy probe of the take-back processes messages: a second click then
    // must not open the dialog over choices not yet taken back.
    if (settings_window_ == nullptr || settings_busy_)
        return;
    settings_busy_ = true;
    try {
        const Point at = SettingsWindowPosition(window_rect(), TFSettings::kDesignWidth,
                                                TFSettings::kDesignHeight);
        ::EnableWindow(window_, FALSE);
        settings_window_->ShowModal(at.x, at.y, loop_);
        ::EnableWindow(window_, TRUE);
        ::SetForegroundWindow(window_);
        if (!closed_) {
            const SettingsChoices choices = settings_window_->Choices();
            TakeBackChoices(choices, settings_);
            if (choices.Proxy)
                probe_chosen_proxy();
            Text_LangBoxDescription->SetCaption(text_of(25));
            news_after_settings_closed();
        }
    } catch (const std::exception& error) {
        ::EnableWindow(window_, TRUE);
        report_error(error.what());
    }
    settings_busy_ = false;
}

Rect TFMain::window_rect() const {
    RECT rect{};
    ::GetWindowRect(window_, &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

void TFMain::save_settings() {
    try {
        const Rect at = window_rect();
        SaveIniFile(UserSettingsPath(UpdaterFolder(setup_.MainPath)), settings_, at.left, at.top,
                    startup_.ConfigData->LangName);
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
    }
}

void TFMain::Button_CloseClick() {
    if (closed_)
        return;
    closed_ = true;
    save_settings();
    workflow_->DM.Stop();
    TrayIcon_->Remove();
    platform::set_application_terminated();
    if (settings_window_ != nullptr)
        settings_window_->Hide();
    ::ShowWindow(window_, SW_HIDE);
    loop_.Quit(0);
}

std::string TFMain::restart_launcher() {
    save_settings();
    // The new launcher must not find this one by its caption and end.
    std::wstring caption(256, L'\0');
    caption.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window_, caption.data(), static_cast<int>(caption.size()))));
    ::SetWindowTextW(window_, L"");
    // This launcher waits, as the new one's parent, until that one confirmed
    // its start; otherwise it puts itself back and goes on.
    std::vector<std::string> command{platform::utf8_of(setup_.self_executable)};
    command.insert(command.end(), setup_.arguments.begin(), setup_.arguments.end());
    const HandOver handover = HandOverToSuccessor(
        loop_, UpdaterFolder(setup_.MainPath) / kStartedMarkerName, [&](std::string& error) {
            return platform::start_child(setup_.self_executable, command, setup_.MainPath,
                                         platform::Elevation::Elevated, error);
        });
    if (!handover.successor) {
        ::SetWindowTextW(window_, caption.c_str());
        return handover.failure;
    }
    TrayIcon_->Remove();
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
    Draging = true;
    X0 = x;
    Y0 = y;
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
    if (Draging) {
        Draging = false;
        ::ReleaseCapture();
    }
}

void TFMain::mouse_move(int x, int y) {
    if (Draging) {
        const Rect at = window_rect();
        ::SetWindowPos(window_, nullptr, at.left + x - X0, at.top + y - Y0, 0, 0,
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
        Draging = false;
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
            TrayIconClick();
        return 0;
    case WM_CLOSE:
        Button_CloseClick();
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
