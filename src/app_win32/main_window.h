#pragma once

#include "config/startup.h"
#include "front/main_window_presenter.h"
#include "front/main_window_surface.h"
#include "skin/main_window_controls.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include <windows.h>

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

using front::MainWindowSetup;

// The launcher's main window on Win32: a borderless pop-up the size of the
// skin's background, cut to its outline with SetWindowRgn and painted from an
// off-screen DIB section that holds the background, the windowless skinned
// controls and the labels. The news page and the message panel are child
// windows above that picture. It is the surface the main window's presenter
// (and through it the update workflow) draws on.
class TFMain final : public front::MainWindowSurface {
public:
    static constexpr wchar_t kWindowClass[] = L"TFMain";

    // FormCreate: needs a skin with a main window background.
    TFMain(Win32EventLoop& loop, StartupState& startup, MainWindowSetup setup);
    ~TFMain() override;
    TFMain(const TFMain&) = delete;
    TFMain& operator=(const TFMain&) = delete;

    HWND window() const { return window_; }
    // Carries the main window skin onto the controls (after creation).
    void SetDataToForm();
    void SetCaption(const std::string& caption);
    void SetTrayHint(const std::string& hint);
    void SetSettingsWindow(TFSettings* settings_window) { settings_window_ = settings_window; }
    // Shows the window; its first showing places it and loads the news.
    void Show();
    front::MainWindowPresenter& presenter() { return *presenter_; }

    // MainWindowSurface
    void SetStatus(std::string_view text) override;
    void SetTotalStatus(std::string_view text) override;
    void MsgShow(std::string_view text) override;
    void SetStartGameEnabled(bool enabled) override;
    void SetCheckAllFilesVisible(bool visible) override;
    void SetCheckAllFilesEnabled(bool enabled) override;
    Rect Frame() const override;
    Rect Screen() const override;
    void MoveTo(int left, int top) override;
    void SetAlpha(int alpha) override;
    void SetTitle(std::string_view caption) override;
    void SetLanguageDescription(std::string_view text) override;
    void SetHints(std::string_view start_game, std::string_view check_all) override;
    void Navigate(const std::string& address) override;
    void StopNews() override;
    void DetachNewsHandlers() override;
    void ShowNewsPanel(bool shown) override;
    std::optional<SettingsChoices> RunSettings(Point at) override;
    bool HasTrayIcon() const override;
    void HideToTray() override;
    void Minimize() override;
    void BringToFront() override;
    void RemoveTrayIcon() override;
    void ShowError(const std::string& text) override;
    void Quit() override;
    std::string Restart(const front::RestartRequest& request) override;

    LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

private:
    void create_window();
    void create_controls();
    void create_hints();
    std::wstring caption() const;
    void redraw_now(const Rect& before, const Rect& after);
    void paint(HDC dc, const RECT& area);
    // The skinned button under a window point, or none.
    ImageButtonHost* button_at(int x, int y);
    bool label_at(int x, int y) const;
    void mouse_down(MouseButton button, int x, int y, WPARAM keys);
    void mouse_up(MouseButton button, int x, int y, WPARAM keys);
    void mouse_move(int x, int y);
    void place_hints();

    Win32EventLoop& loop_;
    StartupState& startup_;
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
    std::unique_ptr<TLabel> title_label_;
    std::unique_ptr<TLabel> status_label_;
    std::unique_ptr<TLabel> total_status_label_;
    std::unique_ptr<TLabel> lang_box_description_label_;
    std::unique_ptr<MessagePanel> message_panel_;
    HWND web_panel_ = nullptr;
    std::unique_ptr<NewsBrowser> news_browser_;
    std::unique_ptr<TrayIcon> tray_icon_;
    // The start and full-check buttons' hints.
    static constexpr UINT_PTR kStartHint = 1;
    static constexpr UINT_PTR kCheckAllHint = 2;
    HWND tooltip_ = nullptr;
    std::wstring start_hint_;
    std::wstring check_all_hint_;
    TFSettings* settings_window_ = nullptr;
    bool layered_ = false;

    ImageButtonHost* hovered_ = nullptr;
    ImageButtonHost* pressed_ = nullptr;
    bool tracking_leave_ = false;
    bool dragging_ = false;
    int drag_x_ = 0;
    int drag_y_ = 0;

    // Last: its creation draws on the controls above, and it goes first.
    std::unique_ptr<front::MainWindowPresenter> presenter_;
};

} // namespace launcher::app
