#include "front/main_window_presenter.h"

#include "config/language_table.h"
#include "config/launcher_paths.h"
#include "config/player_choices.h"
#include "front/main_window_surface.h"
#include "front/settings_presenter.h"
#include "front/status_translation.h"
#include "front/window_placement.h"
#include "launch/client_folder.h"
#include "launch/game_start.h"
#include "launch/proxy_probe.h"
#include "launch/settings_choices.h"
#include "platform/files.h"
#include "platform/system_language.h"
#include "platform/terminate_flag.h"
#include "skin/main_window_controls.h"
#include "skin/range_indicator.h"
#include "update/update_workflow.h"
#include "update/workflow_setup.h"

#include <iostream>
#include <stdexcept>

namespace launcher::front {

// The workflow's view of the window: the surface, and the skinned
// indicators' models.
class MainWindowPresenter::WorkflowView final : public LauncherView {
public:
    WorkflowView(MainWindowPresenter& presenter, MainWindowSurface& surface,
                 MainWindowControls& controls)
        : presenter_(presenter), surface_(surface), controls_(controls) {}

    void SetStatus(std::string_view text) override { presenter_.show_status(text); }
    void SetTotalStatus(std::string_view text) override { presenter_.show_total_status(text); }
    void MsgShow(std::string_view text) override { surface_.MsgShow(text); }
    void SetIndicator(Indicator which, const IndicatorValue& value) override {
        ApplyIndicatorValue(IndicatorControl(controls_, which), value);
    }
    int IndicatorWidth(Indicator which) const override {
        return IndicatorControl(controls_, which).Width();
    }
    void SetStartGameEnabled(bool enabled) override {
        presenter_.start_offered_ = enabled;
        presenter_.show_start_button();
    }
    void SetCheckAllFilesVisible(bool visible) override {
        surface_.SetCheckAllFilesVisible(visible);
    }
    void SetCheckAllFilesEnabled(bool enabled) override {
        surface_.SetCheckAllFilesEnabled(enabled);
    }

private:
    MainWindowPresenter& presenter_;
    MainWindowSurface& surface_;
    MainWindowControls& controls_;
};

const Bitmap& MainWindowPresenter::Background(const StartupState& startup) {
    const Bitmap& background = startup.Skin->MainWindow.BackGroundImage.image;
    if (background.empty())
        throw std::runtime_error("Sorry! Not found the config");
    return background;
}

MainWindowPresenter::MainWindowPresenter(platform::EventLoop& loop, StartupState& startup,
                                         MainWindowSetup setup, MainWindowSurface& surface,
                                         MainWindowControls& controls)
    : loop_(loop), startup_(startup), setup_(std::move(setup)), surface_(surface),
      controls_(controls), view_(std::make_unique<WorkflowView>(*this, surface, controls)) {
    Background(startup_);
    connect(controls);
    tConfigData& config = *startup_.ConfigData;
    settings_ = LoadPlayerChoices(UpdaterFolder(setup_.MainPath), config, LanguageStrings(),
                                  platform::system_default_language_id());
    SetLanguage();
    if (!config.MainWindow.Caption.empty())
        surface_.SetTitle(config.MainWindow.Caption);
    if (config.MainWindow.FadeEffect) {
        alpha_ = 0;
        surface_.SetAlpha(alpha_);
    }
    surface_.SetLanguageDescription(text_of(LanguageEntry::LanguageBoxDescription));

    RemoveLeftBackup(setup_.MainPath, setup_.self_executable);
    std::error_code ignored;
    std::filesystem::create_directory(UpdaterFolder(setup_.MainPath), ignored);

    const CommandLine& command_line = startup_.command_line;
    const UpdateWorkflowSetup workflow_setup = MakeWorkflowSetup(
        setup_.MainPath, setup_.self_executable,
        command_line.FileModeActive ? std::optional(FileModeFolderPath(command_line.FileModeFolder))
                                    : std::nullopt);
    probe_ = std::make_unique<ProxyProbe>(loop_);
    workflow_ = std::make_unique<UpdateWorkflow>(loop_, *view_, config, settings_,
                                                 LanguageStrings(), workflow_setup);
    workflow_->proxy_probe = probe_.get();
    workflow_->RestartLauncher = [this] { return restart_launcher(); };
}

MainWindowPresenter::~MainWindowPresenter() {
    for (platform::EventLoop::TimerId* timer : {&main_timer_, &news_timer_, &fade_timer_})
        stop(*timer);
}

void MainWindowPresenter::stop(platform::EventLoop::TimerId& timer) {
    loop_.stop_timer(timer);
    timer = 0;
}

LauncherView& MainWindowPresenter::view() {
    return *view_;
}

void MainWindowPresenter::connect(MainWindowControls& controls) {
    controls.Button_Close.OnClick = [this](SkinControl&) { Button_CloseClick(); };
    controls.Button_Cancel.OnClick = [this](SkinControl&) { Button_CloseClick(); };
    controls.Button_Minimize.OnClick = [this](SkinControl&) { MinimizeButtonClick(); };
    controls.Button_StartGame.OnClick = [this](SkinControl&) { Button_StartGameClick(); };
    controls.Button_Config.OnClick = [this](SkinControl&) { Button_ConfigClick(); };
    controls.Button_CheckAllFiles.OnClick = [this](SkinControl&) { Button_CheckAllFilesClick(); };
}

void MainWindowPresenter::SetLanguage() {
    surface_.SetHints(text_of(LanguageEntry::StartGameHint),
                      text_of(LanguageEntry::CheckAllFilesHint));
}

void MainWindowPresenter::SetDebugFile(tDebugFile* debug_file) {
    debug_file_ = debug_file;
    workflow_->debug_file = debug_file;
}

void MainWindowPresenter::FormShow() {
    if (shown_)
        return;
    shown_ = true;
    const Rect screen = surface_.Screen();
    Point wanted{settings_.MainLeft, settings_.MainTop};
    if (settings_.MainLeft == -1 || settings_.MainTop == -1) {
        const Rect frame = surface_.Frame();
        wanted = {static_cast<int>(screen.width() / 2 - frame.width() / 2),
                  static_cast<int>(screen.height() / 2 - frame.height() / 2)};
    }
    const SkinControl& close = controls_.Button_Close;
    const Point at = KeptOnScreen(
        wanted, screen,
        {close.Left(), close.Top(), close.Left() + close.Width(), close.Top() + close.Height()});
    surface_.MoveTo(at.x, at.y);
    // The workflow starts a second after the news page has loaded or
    // failed, or a second after the showing when there is none.
    news_address_ = text_of(LanguageEntry::NewsAddress);
    if (news_address_.empty()) {
        main_timer_ = loop_.start_timer(kStartDelay, [this] { MainTimerTimer(); });
        return;
    }
    waiting_for_news_ = true;
    news_timer_ = loop_.start_timer(kNewsTimeLimit, [this] { NewsTimerTimer(); });
    surface_.Navigate(news_address_);
}

void MainWindowPresenter::WebBrowser1NavigateComplete2() {
    surface_.ShowNewsPanel(true);
    news_page_settled();
}

void MainWindowPresenter::WebBrowser1NavigateError() {
    surface_.ShowNewsPanel(false);
    news_page_settled();
}

// The news page took too long: it counts as failed, and its load is given up
// so that it does not appear in the middle of the update.
void MainWindowPresenter::NewsTimerTimer() {
    if (!waiting_for_news_)
        return;
    surface_.StopNews();
    WebBrowser1NavigateError();
}

void MainWindowPresenter::news_page_settled() {
    if (!waiting_for_news_)
        return;
    waiting_for_news_ = false;
    stop(news_timer_);
    if (!closed_)
        main_timer_ = loop_.start_timer(kStartDelay, [this] { MainTimerTimer(); });
}

void MainWindowPresenter::MainTimerTimer() {
    stop(main_timer_);
    if (startup_.ConfigData->MainWindow.FadeEffect && alpha_ < 255)
        fade_timer_ = loop_.start_timer(kFadeInterval, [this] { FadeTimerTimer(); });
    try {
        workflow_->MainTimerTimer();
    } catch (const std::exception& error) {
        report_error(error.what());
    }
}

void MainWindowPresenter::FadeTimerTimer() {
    const int next = alpha_ + kFadeStep;
    alpha_ = next < 255 ? next : 255;
    if (alpha_ == 255)
        stop(fade_timer_);
    surface_.SetAlpha(alpha_);
}

void MainWindowPresenter::report_error(const std::string& text) {
    if (!closed_)
        surface_.ShowError(text);
}

bool MainWindowPresenter::client_present() const {
    const std::filesystem::path client =
        platform::native_path(
            setup_.MainPath,
            ClientFolderFor(startup_.ConfigData->Config.LangFolder, settings_.LangFolder)) /
        kClientExecutable;
    std::error_code ignored;
    return std::filesystem::is_regular_file(client, ignored);
}

// PLAY is lit when the workflow offers the start, no file is being replaced
// and there is a client to start: after a failed first install (no server,
// a damaged list, an unwritable folder) there is none.
void MainWindowPresenter::show_start_button() {
    surface_.SetStartGameEnabled(start_offered_ && !replacing_files_ && client_present());
}

void MainWindowPresenter::Button_StartGameClick() {
    // A click the nested event loop of a repair delivers would start the
    // game over files that are being replaced.
    if (replacing_files_)
        return;
    const tConfigData& config = *startup_.ConfigData;
    GameStartRequest request;
    request.MainPath = setup_.MainPath;
    request.language_folder_list = config.Config.LangFolder;
    request.LangFolder = settings_.LangFolder;
    request.UseProxy = config.ProxyServers.UseProxy;
    request.ProxyLine = workflow_->ProxyLine;
    platform::DetachedProcessStarter system_starter(setup_.client_elevation);
    const GameStartResult result = StartGameClient(request, starter_ ? *starter_ : system_starter);
    if (!result.error.empty()) {
        // The player is told in the window; the launcher stays open even with
        // automatic closing, since no game was started.
        std::cerr << result.error << "\n";
        surface_.MsgShow(WithoutLauncherFolder(result.error, setup_.MainPath));
        return;
    }
    if (settings_.AutoClose)
        Button_CloseClick();
}

void MainWindowPresenter::Button_CheckAllFilesClick() {
    if (replacing_files_)
        return;
    replacing_files_ = true;
    show_start_button();
    try {
        workflow_->Button_CheckAllFilesClick();
    } catch (const std::exception& error) {
        report_error(error.what());
    }
    replacing_files_ = false;
    show_start_button();
}

void MainWindowPresenter::Button_ConfigClick() {
    // The proxy probe of the take-back processes events: a second click then
    // must not open the dialog over choices not yet taken back.
    if (settings_busy_ || closed_)
        return;
    settings_busy_ = true;
    // The dialog applies a picked language to the table at once.
    const LanguageTable language_before = LanguageStrings();
    try {
        const std::optional<SettingsChoices> choices = surface_.RunSettings(SettingsWindowPosition(
            surface_.Frame(), SettingsPresenter::kDesignWidth, SettingsPresenter::kDesignHeight));
        // Closing the launcher closes the dialog too: nothing is taken back.
        if (choices && !closed_) {
            take_back_settings(*choices);
            if (LanguageStrings() != language_before)
                relabel(language_before);
        }
    } catch (const std::exception& error) {
        report_error(error.what());
    }
    settings_busy_ = false;
}

void MainWindowPresenter::show_status(std::string_view text) {
    status_ = text;
    surface_.SetStatus(text);
}

void MainWindowPresenter::show_total_status(std::string_view text) {
    total_status_ = text;
    surface_.SetTotalStatus(text);
}

// The status lines on screen follow a language change at once, not only
// with their next use.
void MainWindowPresenter::relabel(const LanguageTable& before) {
    const LanguageTable& after = LanguageStrings();
    if (!status_.empty())
        show_status(TranslatedStatus(status_, before, after));
    if (!total_status_.empty())
        show_total_status(TranslatedStatus(total_status_, before, after));
}

void MainWindowPresenter::take_back_settings(const SettingsChoices& choices) {
    TakeBackChoices(choices, settings_);
    if (choices.Proxy)
        probe_chosen_proxy();
    surface_.SetLanguageDescription(text_of(LanguageEntry::LanguageBoxDescription));
    show_start_button(); // the language picks the client's folder
    news_after_settings_closed();
}

// A specific proxy picked in the settings dialog is probed alone; the game
// starts through it only when it answers.
void MainWindowPresenter::probe_chosen_proxy() {
    const tGameProxysRecord& proxies = startup_.ConfigData->ProxyServers;
    const std::int32_t chosen = settings_.ProxyIdx;
    if (chosen < 1 || static_cast<std::size_t>(chosen) > proxies.Servers.size())
        return;
    // The probe writes the winner's place in its one-entry list (0) into the
    // index it is given. A scratch index keeps ProxyIdx at the chosen entry,
    // so a probe of the update workflow still to come finds that entry.
    std::int32_t winner = -1;
    const std::string answer = probe_->CheckProxyServers(
        {proxies.Servers[static_cast<std::size_t>(chosen - 1)]}, proxies.Port, winner);
    if (answer.empty()) {
        const std::string unavailable = text_of(LanguageEntry::ChosenProxyUnavailable);
        surface_.MsgShow(unavailable);
        show_status(unavailable);
        return;
    }
    workflow_->ProxyLine = answer;
}

// The news page's part of taking the settings back: its load reports are
// ignored from now on, and a news address changed with the language is
// loaded.
void MainWindowPresenter::news_after_settings_closed() {
    surface_.DetachNewsHandlers();
    const std::string news = text_of(LanguageEntry::NewsAddress);
    if (news_address_ == news)
        return;
    news_address_ = news;
    if (!news_address_.empty())
        surface_.Navigate(news_address_);
}

void MainWindowPresenter::MinimizeButtonClick() {
    // Without a notification area the window could not be brought back
    // once hidden: it goes to the taskbar instead.
    if (surface_.HasTrayIcon())
        surface_.HideToTray();
    else
        surface_.Minimize();
}

void MainWindowPresenter::TrayIconClick() {
    surface_.BringToFront();
}

void MainWindowPresenter::ShowFromOtherStart() {
    surface_.BringToFront();
}

void MainWindowPresenter::save_settings() {
    try {
        const Rect at = surface_.Frame();
        SaveIniFile(UserSettingsPath(UpdaterFolder(setup_.MainPath)), settings_, at.left, at.top,
                    startup_.ConfigData->LangName);
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
    }
}

void MainWindowPresenter::Button_CloseClick() {
    if (closed_)
        return;
    closed_ = true;
    save_settings();
    workflow_->Stop();
    surface_.RemoveTrayIcon();
    platform::set_application_terminated();
    surface_.Quit();
}

std::string MainWindowPresenter::restart_launcher() {
    save_settings();
    return surface_.Restart({setup_.self_executable, setup_.arguments, setup_.MainPath});
}

} // namespace launcher::front
