#pragma once

#include "app/message_panel.h"
#include "config/startup.h"
#include "config/user_settings.h"
#include "skin/main_window_controls.h"
#include "update/launcher_view.h"

#include <QImage>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace launcher {
class ProxyProbe;
struct SettingsChoices;
class UpdateWorkflow;
namespace platform {
class EventLoop;
class ProcessStarter;
} // namespace platform
} // namespace launcher

namespace launcher::app {

class ImageButtonWidget;
class NewsBrowser;
class SkinControlWidget;
class TFSettings;
class TLabel;
class TShadowLabel;

// Where the main window runs.
struct MainWindowSetup {
    std::filesystem::path MainPath;        // the launcher folder
    std::filesystem::path self_executable; // the running launcher's executable
    std::vector<std::string> arguments;    // its command line, without the program
    // Starts the replaced executable (its full command line given) and ends
    // this process once the new one confirmed its start; returns why not
    // otherwise. None replaces the process instead.
    std::function<std::string(const std::vector<std::string>&)> hand_over;
};

// The launcher's main window: frameless, the size of the skin's background,
// painted with it and cut to its outline. It hosts the skinned buttons,
// progress bars and gauges, the status labels and the message panel, and it
// is the view the update workflow drives. Its first showing starts the
// one-shot start timer whose tick runs the workflow.
class TFMain final : public QWidget, public LauncherView {
public:
    // FormCreate: needs a skin with a main window background.
    TFMain(platform::EventLoop& loop, StartupState& startup, MainWindowSetup setup,
           QWidget* parent = nullptr);
    ~TFMain() override;

    // Carries the main window skin onto the controls (after creation).
    void SetDataToForm();
    // The debug log, given in debug mode only.
    void SetDebugFile(tDebugFile* debug_file);
    // Starts the game client; none uses the system's process start.
    void SetProcessStarter(platform::ProcessStarter* starter) { starter_ = starter; }
    // The notification-area icon's tooltip.
    void SetTrayHint(const std::string& hint);
    // Brings the window forward when the player starts the launcher again:
    // restored, shown, raised and activated, with an open dialog on top.
    void ShowFromOtherStart();
    // The settings window the settings button opens; none leaves the button idle.
    void SetSettingsWindow(TFSettings* settings_window) { settings_window_ = settings_window; }
    // Shows an error that ended a run of the workflow; a message box by default.
    void SetErrorHandler(std::function<void(const std::string&)> handler) {
        error_handler_ = std::move(handler);
    }

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
    // Places the settings window over this one, opens it modally and, once it
    // has closed (however), takes the player's choices back.
    void Button_ConfigClick();

    MainWindowControls& controls() { return controls_; }
    UserSettings& settings() { return settings_; }
    UpdateWorkflow& workflow() { return *workflow_; }
    MessagePanel& message_panel() { return *MsgPanel; }
    TShadowLabel& status_label() { return *Text_Status; }
    TShadowLabel& total_status_label() { return *Text_StatusTotal; }
    TShadowLabel& lang_box_description_label() { return *Text_LangBoxDescription; }
    ImageButtonWidget& start_button() { return *start_button_; }
    bool closed() const { return closed_; }
    NewsBrowser* news_browser() { return WebBrowser1; }
    QWidget& web_panel() { return *WebPanel; }
    QSystemTrayIcon& tray_icon() { return TrayIcon; }
    // Whether minimizing can hide the window: only with a notification area
    // to bring it back from.
    bool minimizes_to_tray() const;

    // How long the first showing waits for the news page before it counts as
    // failed and the update starts: a server that accepts the connection and
    // never answers must not hold the update back.
    static constexpr int kNewsTimeLimitMs = 10000;

    QTimer MainTimer;
    // The news page's time limit (single shot, kNewsTimeLimitMs).
    QTimer NewsTimer;
    QTimer FadeTimer;
    QSystemTrayIcon TrayIcon;
    QString NewsURL;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FadeTimerTimer();
    void WebBrowser1NavigateComplete2();
    void WebBrowser1NavigateError();
    void NewsTimerTimer();
    void news_page_settled();
    void SetLanguage();
    void create_controls();
    void report_error(const std::string& text);
    std::string relative_to_launcher_folder(std::string text) const;
    void take_back_settings(const SettingsChoices& choices);
    void probe_chosen_proxy();
    void save_settings();
    std::string restart_launcher();
    // The news page's part of taking the settings back: its navigation
    // handlers are detached and a changed news address is loaded.
    void news_after_settings_closed();
    SkinControlWidget& indicator_widget(Indicator which);

    platform::EventLoop& loop_;
    StartupState& startup_;
    MainWindowSetup setup_;
    UserSettings settings_;
    MainWindowControls controls_;
    QImage background_;

    ImageButtonWidget* start_button_ = nullptr;
    ImageButtonWidget* cancel_button_ = nullptr;
    ImageButtonWidget* check_all_button_ = nullptr;
    ImageButtonWidget* close_button_ = nullptr;
    ImageButtonWidget* minimize_button_ = nullptr;
    ImageButtonWidget* config_button_ = nullptr;
    SkinControlWidget* progress_one_file_ = nullptr;
    SkinControlWidget* progress_total_ = nullptr;
    SkinControlWidget* gauge_one_file_ = nullptr;
    SkinControlWidget* gauge_total_ = nullptr;
    TLabel* Text_Title = nullptr;
    TShadowLabel* Text_Status = nullptr;
    TShadowLabel* Text_StatusTotal = nullptr;
    TShadowLabel* Text_LangBoxDescription = nullptr;
    MessagePanel* MsgPanel = nullptr;
    QWidget* WebPanel = nullptr;
    NewsBrowser* WebBrowser1 = nullptr;
    bool waiting_for_news_ = false;

    std::unique_ptr<ProxyProbe> probe_;
    std::unique_ptr<UpdateWorkflow> workflow_;
    platform::ProcessStarter* starter_ = nullptr;
    TFSettings* settings_window_ = nullptr;
    std::function<void(const std::string&)> error_handler_;
    tDebugFile* debug_file_ = nullptr;

    bool Draging = false;
    int X0 = 0;
    int Y0 = 0;
    bool _oneshot = false;
    bool closed_ = false;
    // The settings window is open or its choices are being taken back.
    bool settings_busy_ = false;
};

} // namespace launcher::app
