#pragma once

#include "config/language_table.h"
#include "config/startup.h"
#include "config/user_settings.h"
#include "platform/event_loop.h"
#include "platform/process_start.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace launcher {
class Bitmap;
class LauncherView;
struct MainWindowControls;
class ProxyProbe;
struct SettingsChoices;
class tDebugFile;
class UpdateWorkflow;
} // namespace launcher

namespace launcher::front {

class MainWindowSurface;

// Where the main window runs.
struct MainWindowSetup {
    std::filesystem::path MainPath;        // the launcher folder
    std::filesystem::path self_executable; // the running launcher's executable
    std::vector<std::string> arguments;    // its command line, without the program
    // How the game client is started (Windows: it may need the
    // administrator's rights).
    platform::Elevation client_elevation = platform::Elevation::AsUser;
    // Starts the replaced executable (its full command line given) and ends
    // this process once the new one confirmed its start; returns why not
    // otherwise. None leaves the restart to the window.
    std::function<std::string(const std::vector<std::string>&)> hand_over;
};

// What the main window does on each input and timer, whatever toolkit draws
// it: it loads the player's settings, creates and wires the update workflow,
// waits for the news page (within its time limit) before the workflow starts,
// fades the window in, starts the game, exchanges the settings with the
// settings dialog, minimizes, closes, and restarts the launcher after the
// workflow replaced its executable. Its timers run on the event loop.
class MainWindowPresenter {
public:
    // How long the first showing waits for the news page before it counts as
    // failed and the update starts: a server that accepts the connection and
    // never answers must not hold the update back.
    static constexpr platform::Milliseconds kNewsTimeLimit{10000};
    // The workflow starts this long after the news page settled.
    static constexpr platform::Milliseconds kStartDelay{1000};
    static constexpr platform::Milliseconds kFadeInterval{100};
    static constexpr int kFadeStep = 30;

    // FormCreate; the surface's controls exist already. The skinned
    // buttons of `controls` run this presenter's actions.
    MainWindowPresenter(platform::EventLoop& loop, StartupState& startup, MainWindowSetup setup,
                        MainWindowSurface& surface, MainWindowControls& controls);
    ~MainWindowPresenter();
    MainWindowPresenter(const MainWindowPresenter&) = delete;
    MainWindowPresenter& operator=(const MainWindowPresenter&) = delete;

    // The skin's main window background; a skin without one has no window.
    static const Bitmap& Background(const StartupState& startup);

    // The debug log, given in debug mode only.
    void SetDebugFile(tDebugFile* debug_file);
    // Starts the game client; none uses the system's process start.
    void SetProcessStarter(platform::ProcessStarter* starter) { starter_ = starter; }

    // The first showing places the window and waits for the news page.
    void FormShow();
    void WebBrowser1NavigateComplete2();
    void WebBrowser1NavigateError();
    void NewsTimerTimer();
    void MainTimerTimer();
    void FadeTimerTimer();

    void Button_StartGameClick();
    void Button_CheckAllFilesClick();
    // Places the settings dialog over the window, opens it and, once it has
    // closed, takes the player's choices back.
    void Button_ConfigClick();
    void MinimizeButtonClick();
    void TrayIconClick();
    // The player started the launcher again: this window comes forward.
    void ShowFromOtherStart();
    // The close action; runs once.
    void Button_CloseClick();

    // What the update workflow drives: the surface and the indicators.
    LauncherView& view();
    UserSettings& settings() { return settings_; }
    UpdateWorkflow& workflow() { return *workflow_; }
    bool closed() const { return closed_; }
    bool waiting_for_news() const { return waiting_for_news_; }
    bool main_timer_running() const { return main_timer_ != 0; }
    bool fading() const { return fade_timer_ != 0; }

private:
    class WorkflowView;

    void connect(MainWindowControls& controls);
    void SetLanguage();
    void report_error(const std::string& text);
    void news_page_settled();
    void take_back_settings(const SettingsChoices& choices);
    void probe_chosen_proxy();
    void news_after_settings_closed();
    void save_settings();
    std::string restart_launcher();
    void stop(platform::EventLoop::TimerId& timer);
    bool client_present() const;
    void show_status(std::string_view text);
    void show_total_status(std::string_view text);
    void relabel(const LanguageTable& before);
    void show_start_button();

    platform::EventLoop& loop_;
    StartupState& startup_;
    MainWindowSetup setup_;
    MainWindowSurface& surface_;
    const MainWindowControls& controls_;
    std::unique_ptr<WorkflowView> view_;
    UserSettings settings_;
    std::unique_ptr<ProxyProbe> probe_;
    std::unique_ptr<UpdateWorkflow> workflow_;
    platform::ProcessStarter* starter_ = nullptr;
    tDebugFile* debug_file_ = nullptr;

    std::string news_address_;
    // The status lines on screen, for a change of language.
    std::string status_;
    std::string total_status_;
    platform::EventLoop::TimerId main_timer_ = 0;
    platform::EventLoop::TimerId news_timer_ = 0;
    platform::EventLoop::TimerId fade_timer_ = 0;
    int alpha_ = 255;
    bool waiting_for_news_ = false;
    bool shown_ = false;
    bool closed_ = false;
    // The settings dialog is open or its choices are being taken back.
    bool settings_busy_ = false;
    // The workflow offers the game's start (its files are up to date, or
    // the update ended and the game there is what the player has).
    bool start_offered_ = false;
    // A full check is running: files may be replaced at any moment.
    bool replacing_files_ = false;
};

} // namespace launcher::front
