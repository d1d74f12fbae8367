#include "app/main_window.h"

#include "app/bitmap_image.h"
#include "app/image_button_widget.h"
#include "app/language_text.h"
#include "app/news_browser.h"
#include "app/qt_region.h"
#include "app/settings_window.h"
#include "app/skin_label.h"
#include "app/skin_qt_apply.h"
#include "app/window_activation.h"
#include "config/language_table.h"
#include "config/launcher_paths.h"
#include "config/player_choices.h"
#include "launch/game_start.h"
#include "launch/proxy_probe.h"
#include "launch/settings_choices.h"
#include "platform/own_process.h"
#include "platform/process_start.h"
#include "platform/system_language.h"
#include "platform/terminate_flag.h"
#include "platform/utf8_path.h"
#include "skin/range_indicator.h"
#include "skin/skin_apply.h"
#include "update/update_workflow.h"
#include "update/workflow_setup.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScreen>
#include <iostream>

namespace launcher::app {

TFMain::TFMain(platform::EventLoop& loop, StartupState& startup, MainWindowSetup setup,
               QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), loop_(loop), startup_(startup),
      setup_(std::move(setup)) {
    FormCreate();
}

TFMain::~TFMain() = default;

void TFMain::create_controls() {
    QFont design_font = font();
    design_font.setPixelSize(11);
    setFont(design_font);

    // Declared order: later controls lie on top of earlier ones.
    progress_one_file_ = new SkinControlWidget(
        controls_.ProgressBar_OneFile, [this] { return controls_.ProgressBar_OneFile.Paint(); },
        this);
    progress_total_ = new SkinControlWidget(
        controls_.ProgressBar_Total, [this] { return controls_.ProgressBar_Total.Paint(); }, this);
    Text_Status = new TShadowLabel(this);
    Text_Status->move(39, 505);
    Text_Title = new TLabel(this);
    Text_Title->move(24, 13);
    WebPanel = new QWidget(this);
    WebPanel->setGeometry(9, 35, 782, 424);
    WebPanel->hide();
    // The panel clips the browser's first 19 rows and its right and bottom
    // edges.
    WebBrowser1 = new NewsBrowser(WebPanel);
    WebBrowser1->setGeometry(0, -19, 788, 464);
    WebBrowser1->SetOnCompleted([this] { WebBrowser1NavigateComplete2(); });
    WebBrowser1->SetOnFailed([this] { WebBrowser1NavigateError(); });
    MsgPanel = new MessagePanel(this);
    start_button_ = new ImageButtonWidget(controls_.Button_StartGame, this);
    start_button_->setCursor(Qt::ForbiddenCursor);
    cancel_button_ = new ImageButtonWidget(controls_.Button_Cancel, this);
    check_all_button_ = new ImageButtonWidget(controls_.Button_CheckAllFiles, this);
    close_button_ = new ImageButtonWidget(controls_.Button_Close, this);
    minimize_button_ = new ImageButtonWidget(controls_.Button_Minimize, this);
    config_button_ = new ImageButtonWidget(controls_.Button_Config, this);
    gauge_one_file_ = new SkinControlWidget(
        controls_.Gauge_OneFile, [this] { return controls_.Gauge_OneFile.Paint(); }, this);
    gauge_total_ = new SkinControlWidget(
        controls_.Gauge_Total, [this] { return controls_.Gauge_Total.Paint(); }, this);
    Text_StatusTotal = new TShadowLabel(this);
    Text_StatusTotal->move(40, 542);
    Text_LangBoxDescription = new TShadowLabel(this);
    Text_LangBoxDescription->move(244, 627);
    MsgPanel->raise();

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

    MainTimer.setInterval(1000);
    MainTimer.setSingleShot(true);
    connect(&MainTimer, &QTimer::timeout, this, [this] { MainTimerTimer(); });
    NewsTimer.setInterval(kNewsTimeLimitMs);
    NewsTimer.setSingleShot(true);
    connect(&NewsTimer, &QTimer::timeout, this, [this] { NewsTimerTimer(); });
    FadeTimer.setInterval(100);
    connect(&FadeTimer, &QTimer::timeout, this, [this] { FadeTimerTimer(); });
    connect(&TrayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    TrayIconClick();
            });
}

void TFMain::FormCreate() {
    const Bitmap& background = startup_.Skin->MainWindow.BackGroundImage.image;
    if (background.empty())
        throw std::runtime_error("Sorry! Not found the config");
    create_controls();
    setFixedSize(background.width(), background.height());

    tConfigData& config = *startup_.ConfigData;
    settings_ = LoadPlayerChoices(UpdaterFolder(setup_.MainPath), config, LanguageStrings(),
                                  platform::system_default_language_id());
    SetLanguage();
    if (!config.MainWindow.Caption.empty())
        Text_Title->SetCaption(config.MainWindow.Caption);
    if (config.MainWindow.FadeEffect)
        setWindowOpacity(0.0);
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
    workflow_ = std::make_unique<UpdateWorkflow>(loop_, *this, config, settings_, LanguageStrings(),
                                                 workflow_setup);
    workflow_->proxy_probe = probe_.get();
    workflow_->RestartLauncher = [this] { return restart_launcher(); };

    background_ = ToQImage(WithoutAlpha(background));
    TrayIcon.setIcon(LauncherIcon(background_));
    setWindowIcon(TrayIcon.icon());
    if (QSystemTrayIcon::isSystemTrayAvailable())
        TrayIcon.show();
    if (const auto region = MainWindowRegion(startup_.Skin->MainWindow.BackGroundImage))
        setMask(ToQRegion(*region));
    update();
}

std::string TFMain::relative_to_launcher_folder(std::string text) const {
    return WithoutLauncherFolder(std::move(text), setup_.MainPath);
}

void TFMain::SetLanguage() {
    start_button_->setToolTip(qstring(text_of(9)));
    check_all_button_->setToolTip(qstring(text_of(8)));
}

void TFMain::SetDataToForm() {
    const TqorMainWindow& skin = startup_.Skin->MainWindow;
    controls_.ApplySkin(skin);
    for (SkinControlWidget* host :
         {static_cast<SkinControlWidget*>(start_button_),
          static_cast<SkinControlWidget*>(cancel_button_),
          static_cast<SkinControlWidget*>(check_all_button_),
          static_cast<SkinControlWidget*>(close_button_),
          static_cast<SkinControlWidget*>(minimize_button_),
          static_cast<SkinControlWidget*>(config_button_), progress_one_file_, progress_total_,
          gauge_one_file_, gauge_total_})
        host->SyncBounds();
    ApplyLabelSkin(skin.Text_Title, *Text_Title);
    ApplyLabelSkin(skin.Text_Status, *Text_Status);
    ApplyLabelSkin(skin.Text_StatusTotal, *Text_StatusTotal);
    ApplyWidgetSkin(skin.WebPanel.parameters, *WebPanel);
    // What shows of the news page until it paints: the skin's colour there.
    WebBrowser1->SetBaseColor(MeanColor(skin.BackGroundImage.image, WebPanel->geometry()));
    ApplyLabelSkin(skin.Text_LangBoxDescription, *Text_LangBoxDescription);
    SetStartGameEnabled(controls_.Button_StartGame.Enabled());
}

void TFMain::SetDebugFile(tDebugFile* debug_file) {
    debug_file_ = debug_file;
    workflow_->debug_file = debug_file;
}

void TFMain::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, background_);
}

void TFMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TFMain::FormShow() {
    if (_oneshot)
        return;
    _oneshot = true;
    if (settings_.MainLeft == -1 || settings_.MainTop == -1) {
        const QRect screen = this->screen()->geometry();
        move(screen.width() / 2 - width() / 2, screen.height() / 2 - height() / 2);
    } else {
        move(settings_.MainLeft, settings_.MainTop);
    }
    // The workflow starts a second after the news page has loaded or
    // failed, or at once when there is none.
    NewsURL = qstring(text_of(0));
    if (NewsURL.isEmpty()) {
        MainTimer.start();
        return;
    }
    waiting_for_news_ = true;
    NewsTimer.start();
    WebBrowser1->Navigate(NewsURL);
}

void TFMain::WebBrowser1NavigateComplete2() {
    WebPanel->show();
    update();
    news_page_settled();
}

void TFMain::WebBrowser1NavigateError() {
    WebPanel->hide();
    update();
    news_page_settled();
}

// The news page took too long: it counts as failed, and its load is given up
// so that it does not appear in the middle of the update.
void TFMain::NewsTimerTimer() {
    if (!waiting_for_news_)
        return;
    WebBrowser1->stop();
    WebBrowser1NavigateError();
}

void TFMain::news_page_settled() {
    if (!waiting_for_news_)
        return;
    waiting_for_news_ = false;
    NewsTimer.stop();
    if (!closed_)
        MainTimer.start();
}

void TFMain::news_after_settings_closed() {
    WebBrowser1->DetachHandlers();
    const QString news = qstring(text_of(0));
    if (NewsURL == news)
        return;
    NewsURL = news;
    if (!NewsURL.isEmpty())
        WebBrowser1->Navigate(NewsURL);
}

void TFMain::MainTimerTimer() {
    MainTimer.stop();
    if (startup_.ConfigData->MainWindow.FadeEffect)
        FadeTimer.start();
    try {
        workflow_->MainTimerTimer();
    } catch (const std::exception& error) {
        report_error(error.what());
    }
}

void TFMain::FadeTimerTimer() {
    const int next = static_cast<int>(std::lround(windowOpacity() * 255.0)) + 30;
    if (next < 255) {
        setWindowOpacity(next / 255.0);
        return;
    }
    FadeTimer.stop();
    setWindowOpacity(1.0);
}

void TFMain::report_error(const std::string& text) {
    if (closed_)
        return;
    if (error_handler_) {
        error_handler_(text);
        return;
    }
    QMessageBox::critical(this, windowTitle(), qstring(text));
}

// LauncherView

void TFMain::SetStatus(std::string_view text) {
    Text_Status->SetCaption(text);
    Text_Status->repaint();
}

void TFMain::SetTotalStatus(std::string_view text) {
    Text_StatusTotal->SetCaption(text);
    Text_StatusTotal->repaint();
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
    start_button_->setCursor(enabled ? Qt::PointingHandCursor : Qt::ForbiddenCursor);
    start_button_->repaint();
}

void TFMain::SetCheckAllFilesVisible(bool visible) {
    controls_.Button_CheckAllFiles.SetVisible(visible);
    check_all_button_->SyncBounds();
}

void TFMain::SetCheckAllFilesEnabled(bool enabled) {
    controls_.Button_CheckAllFiles.SetEnabled(enabled);
    check_all_button_->repaint();
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
    platform::DetachedProcessStarter system_starter;
    const GameStartResult result = StartGameClient(request, starter_ ? *starter_ : system_starter);
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

bool TFMain::minimizes_to_tray() const {
    return TrayIcon.isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

void TFMain::take_back_settings(const SettingsChoices& choices) {
    TakeBackChoices(choices, settings_);
    if (choices.Proxy)
        probe_chosen_proxy();
    Text_LangBoxDescription->SetCaption(text_of(25));
    news_after_settings_closed();
}

// A specific proxy picked in the settings window is probed alone; the game
// starts through it only when it answers.
void TFMain::probe_chosen_proxy() {
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
        MsgShow(text_of(21));
        SetStatus(text_of(21));
        return;
    }
    workflow_->ProxyLine = answer;
}

void TFMain::MinimizeButtonClick() {
    // Without a notification area the window could not be brought back
    // once hidden: it goes to the taskbar instead.
    if (minimizes_to_tray())
        hide();
    else
        showMinimized();
}

void TFMain::TrayIconClick() {
    BringToFront(*this);
}

void TFMain::SetTrayHint(const std::string& hint) {
    TrayIcon.setToolTip(qstring(hint));
}

void TFMain::ShowFromOtherStart() {
    TrayIconClick();
    // An open settings dialog stays in front of the window it belongs to.
    if (QWidget* dialog = QApplication::activeModalWidget(); dialog && dialog != this)
        BringToFront(*dialog);
}

void TFMain::Button_ConfigClick() {
    // The proxy probe of the take-back processes events: a second click then
    // must not open the dialog over choices not yet taken back.
    if (!settings_window_ || settings_busy_)
        return;
    const QScopedValueRollback busy(settings_busy_, true);
    try {
        settings_window_->move(SettingsWindowPosition(geometry(), settings_window_->size()));
        settings_window_->exec();
        take_back_settings(settings_window_->Choices());
    } catch (const std::exception& error) {
        report_error(error.what());
    }
}

void TFMain::save_settings() {
    try {
        SaveIniFile(UserSettingsPath(UpdaterFolder(setup_.MainPath)), settings_, x(), y(),
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
    TrayIcon.hide();
    platform::set_application_terminated();
    QCoreApplication::quit();
    hide();
}

void TFMain::closeEvent(QCloseEvent* event) {
    Button_CloseClick();
    event->accept();
}

std::string TFMain::restart_launcher() {
    save_settings();
    std::vector<std::string> arguments{platform::utf8_of(setup_.self_executable)};
    arguments.insert(arguments.end(), setup_.arguments.begin(), setup_.arguments.end());
    if (setup_.hand_over)
        return setup_.hand_over(arguments);
    return platform::replace_process(setup_.self_executable, arguments);
}

// Dragging by the background

void TFMain::mousePressEvent(QMouseEvent* event) {
    Draging = true;
    X0 = event->position().toPoint().x();
    Y0 = event->position().toPoint().y();
    event->accept();
}

void TFMain::mouseMoveEvent(QMouseEvent* event) {
    if (!Draging)
        return;
    const QPoint at = event->position().toPoint();
    move(x() + at.x() - X0, y() + at.y() - Y0);
}

void TFMain::mouseReleaseEvent(QMouseEvent*) {
    Draging = false;
}

} // namespace launcher::app
