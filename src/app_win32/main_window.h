#pragma once

#include "config/startup.h"
#include "config/user_settings.h"
#include "skin/main_window_controls.h"
#include "update/launcher_view.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include <windows.h>

namespace launcher {
class ProxyProbe;
class UpdateWorkflow;
} // namespace launcher

namespace launcher::app {

class ControlHost;
class DibSection;
class ImageButtonHost;
class MessagePanel;
class NewsBrowser;
class TFSettings;
class TLabel;
class TrayIcon;
class Win32EventLoop;

// Where the main window runs.
struct MainWindowSetup {
    std::filesystem::path MainPath;        // the launcher folder
    std::filesystem::path self_executable; // the running launcher's executable
    std::vector<std::string> arguments;    // its command line, without the program
};

// The launcher's main window on Win32: a borderless pop-up the size of the
// skin's background, cut to its outline with SetWindowRgn and painted from an
// off-screen DIB section that holds the background, the windowless skinned
// controls and the labels. The news page and the message panel are child
// windows above that picture. It is the view the update workflow drives;
// its first showing starts the one-shot start timer whose tick runs the
// workflow.
class TFMain final : public LauncherView {
public:
    static constexpr wchar_t kWindowClass[] = L"TFMain";
    // How long the first showing waits for the news page before it counts as
    // failed and the update starts.
    static constexpr int kNewsTimeLimitMs = 10000;

    // FormCreate: needs a skin with a main window background.
    TFMain(Win32EventLoop& loop, StartupState& startup, MainWindowSetup setup);
    ~TFMain() override;
    TFMain(const TFMain&) = delete;
    TFMain& operator=(const TFMain&) = delete;

    HWND window() const { return window_; }
    // Carries the main window skin onto the controls (after creation).
    void SetDataToForm();
    void SetDebugFile(tDebugFile* debug_file);
    void SetCaption(const std::string& caption);
    void SetTrayHint(const std::string& hint);
    void SetSettingsWindow(TFSettings* settings_window) { settings_window_ = settings_window; }
    // Shows the window; its first showing runs FormShow.
    void Show();

    // LauncherView
    void SetStatus(std::string_view text) override;
    void SetTotalStatus(std::string_view text) override;
    void MsgShow(std::string_view text) override;
    void SetIndicator(Indicator which, const IndicatorValue& value) override;
    int IndicatorWidth(Indicator which) const override;
    void SetStartGameEnabled(bool enabled) override;
    void SetCheckAllFilesVisible(bool visible) override;
    void SetCheckAllFilesEnabled(bool enabled) override;

    // The close action; runs once.
    void Button_CloseClick();
    void Button_StartGameClick();
    void MinimizeButtonClick();
    void TrayIconClick();
    void MainTimerTimer();
    void Button_ConfigClick();

    UserSettings& settings() { return settings_; }

    LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

private:
    void FormCreate();
    void FormShow();
    void FadeTimerTimer();
    void WebBrowser1NavigateComplete2();
    void WebBrowser1NavigateError();
    void NewsTimerTimer();
    void news_page_settled();
    void news_after_settings_closed();
    void SetLanguage();
    void create_controls();
    void report_error(const std::string& text);
    std::string relative_to_launcher_folder(std::string text) const;
    void probe_chosen_proxy();
    void save_settings();
    std::string restart_launcher();
    void redraw_now(const Rect& before, const Rect& after);
    void paint(HDC dc, const RECT& area);
    // The skinned button under a window point, or none.
    ImageButtonHost* button_at(int x, int y);
    bool label_at(int x, int y) const;
    void mouse_down(MouseButton button, int x, int y, WPARAM keys);
    void mouse_up(MouseButton button, int x, int y, WPARAM keys);
    void mouse_move(int x, int y);
    void set_layered_alpha(int alpha);
    void place_hints();
    Rect window_rect() const;

    Win32EventLoop& loop_;
    StartupState& startup_;
    MainWindowSetup setup_;
    UserSettings settings_;
    MainWindowControls controls_;
    Bitmap background_;
    HWND window_ = nullptr;
    HICON icon_ = nullptr;
    HICON small_icon_ = nullptr;
    std::unique_ptr<DibSection> picture_;

    // Drawn in this order: later ones lie on top of earlier ones.
    struct Layer {
        ControlHost* control = nullptr;
        TLabel* label = nullptr;
    };
    std::vector<Layer> layers_;
    std::vector<std::unique_ptr<ControlHost>> hosts_;
    std::vector<ImageButtonHost*> buttons_;
    ImageButtonHost* start_button_ = nullptr;
    ImageButtonHost* check_all_button_ = nullptr;
    std::unique_ptr<TLabel> Text_Title;
    std::unique_ptr<TLabel> Text_Status;
    std::unique_ptr<TLabel> Text_StatusTotal;
    std::unique_ptr<TLabel> Text_LangBoxDescription;
    std::unique_ptr<MessagePanel> MsgPanel;
    HWND WebPanel = nullptr;
    std::unique_ptr<NewsBrowser> WebBrowser1;
    std::unique_ptr<TrayIcon> TrayIcon_;
    std::wstring NewsURL;
    // The start and full-check buttons' hints.
    static constexpr UINT_PTR kStartHint = 1;
    static constexpr UINT_PTR kCheckAllHint = 2;
    HWND tooltip_ = nullptr;
    std::wstring start_hint_;
    std::wstring check_all_hint_;
    bool waiting_for_news_ = false;

    std::unique_ptr<ProxyProbe> probe_;
    std::unique_ptr<UpdateWorkflow> workflow_;
    TFSettings* settings_window_ = nullptr;
    tDebugFile* debug_file_ = nullptr;

    std::uint64_t MainTimer = 0;
    std::uint64_t NewsTimer = 0;
    std::uint64_t FadeTimer = 0;
    int alpha_ = 255;
    bool layered_ = false;

    ImageButtonHost* hovered_ = nullptr;
    ImageButtonHost* pressed_ = nullptr;
    bool tracking_leave_ = false;
    bool Draging = false;
    int X0 = 0;
    int Y0 = 0;
    bool _oneshot = false;
    bool closed_ = false;
    // The settings window is open or its choices are being taken back.
    bool settings_busy_ = false;
};

} // namespace launcher::app
