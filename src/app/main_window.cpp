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
#include "launch/settings_choices.h"
#include "platform/own_process.h"
#include "platform/utf8_path.h"
#include "skin/skin_apply.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

namespace launcher::app {

TFMain::TFMain(platform::EventLoop& loop, StartupState& startup, MainWindowSetup setup,
               QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), startup_(startup),
      hand_over_(setup.hand_over) {
    const Bitmap& background = front::MainWindowPresenter::Background(startup_);
    create_controls();
    // Hints show on hovering, also before the first click has activated
    // the window.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFixedSize(background.width(), background.height());
    presenter_ = std::make_unique<front::MainWindowPresenter>(loop, startup_, std::move(setup),
                                                              *this, controls_);

    background_ = ToQImage(WithoutAlpha(background));
    tray_icon_.setIcon(LauncherIcon(background_));
    setWindowIcon(tray_icon_.icon());
    if (QSystemTrayIcon::isSystemTrayAvailable())
        tray_icon_.show();
    if (const auto region = MainWindowRegion(startup_.Skin->MainWindow.BackGroundImage))
        setMask(ToQRegion(*region));
    update();
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
    status_label_ = new TShadowLabel(this);
    status_label_->move(39, 505);
    title_label_ = new TLabel(this);
    title_label_->move(24, 13);
    web_panel_ = new QWidget(this);
    web_panel_->setGeometry(9, 35, 782, 424);
    web_panel_->hide();
    // The panel clips the browser's first 19 rows and its right and bottom
    // edges.
    news_browser_ = new NewsBrowser(web_panel_);
    news_browser_->setGeometry(0, -19, 788, 464);
    news_browser_->SetOnCompleted([this] { presenter_->WebBrowser1NavigateComplete2(); });
    news_browser_->SetOnFailed([this] { presenter_->WebBrowser1NavigateError(); });
    message_panel_ = new MessagePanel(this);
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
    total_status_label_ = new TShadowLabel(this);
    total_status_label_->move(40, 542);
    lang_box_description_label_ = new TShadowLabel(this);
    lang_box_description_label_->move(244, 627);
    message_panel_->raise();

    connect(&tray_icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    presenter_->TrayIconClick();
            });
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
    ApplyLabelSkin(skin.Text_Title, *title_label_);
    ApplyLabelSkin(skin.Text_Status, *status_label_);
    ApplyLabelSkin(skin.Text_StatusTotal, *total_status_label_);
    ApplyWidgetSkin(skin.WebPanel.parameters, *web_panel_);
    // What shows of the news page until it paints: the skin's colour there.
    news_browser_->SetBaseColor(MeanColor(skin.BackGroundImage.image, web_panel_->geometry()));
    ApplyLabelSkin(skin.Text_LangBoxDescription, *lang_box_description_label_);
    for (TShadowLabel* line : {status_label_, total_status_label_})
        line->SetWidthLimit(status_width(*line));
    SetStartGameEnabled(controls_.Button_StartGame.Enabled());
}

// A status line ends before the start button when that stands to its right
// on the same row, else at the window's edge.
int TFMain::status_width(const QWidget& line) const {
    const int line_height = line.fontMetrics().height() + 1;
    const QRect play = start_button_->geometry();
    const bool play_beside =
        play.left() > line.x() && play.top() < line.y() + line_height && play.bottom() >= line.y();
    const int right = play_beside ? play.left() - kStatusGap : width();
    return std::max(1, right - line.x());
}

void TFMain::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, background_);
}

void TFMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    presenter_->FormShow();
}

void TFMain::closeEvent(QCloseEvent* event) {
    presenter_->Button_CloseClick();
    event->accept();
}

// MainWindowSurface

void TFMain::SetStatus(std::string_view text) {
    status_label_->SetCaption(text);
    status_label_->repaint();
}

void TFMain::SetTotalStatus(std::string_view text) {
    total_status_label_->SetCaption(text);
    total_status_label_->repaint();
}

void TFMain::MsgShow(std::string_view text) {
    message_panel_->MsgShow(text);
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

Rect TFMain::Frame() const {
    return {x(), y(), x() + width(), y() + height()};
}

Rect TFMain::Screen() const {
    const QRect screen = this->screen()->geometry();
    return {0, 0, screen.width(), screen.height()};
}

void TFMain::MoveTo(int left, int top) {
    move(left, top);
}

void TFMain::SetAlpha(int alpha) {
    setWindowOpacity(alpha / 255.0);
}

void TFMain::SetTitle(std::string_view caption) {
    title_label_->SetCaption(caption);
}

void TFMain::SetLanguageDescription(std::string_view text) {
    lang_box_description_label_->SetCaption(text);
}

void TFMain::SetHints(std::string_view start_game, std::string_view check_all) {
    start_button_->setToolTip(qstring(start_game));
    check_all_button_->setToolTip(qstring(check_all));
}

void TFMain::Navigate(const std::string& address) {
    news_browser_->Navigate(qstring(address));
}

void TFMain::StopNews() {
    news_browser_->stop();
}

void TFMain::DetachNewsHandlers() {
    news_browser_->DetachHandlers();
}

void TFMain::ShowNewsPanel(bool shown) {
    web_panel_->setVisible(shown);
    update();
}

std::optional<SettingsChoices> TFMain::RunSettings(Point at) {
    if (!settings_window_)
        return std::nullopt;
    settings_window_->move(at.x, at.y);
    settings_window_->exec();
    return settings_window_->Choices();
}

bool TFMain::HasTrayIcon() const {
    return tray_icon_.isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

void TFMain::HideToTray() {
    hide();
}

void TFMain::Minimize() {
    showMinimized();
}

void TFMain::BringToFront() {
    app::BringToFront(*this);
    // An open settings dialog stays in front of the window it belongs to.
    if (QWidget* dialog = QApplication::activeModalWidget(); dialog && dialog != this)
        app::BringToFront(*dialog);
}

void TFMain::RemoveTrayIcon() {
    tray_icon_.hide();
}

void TFMain::SetTrayHint(const std::string& hint) {
    tray_icon_.setToolTip(qstring(hint));
}

void TFMain::ShowError(const std::string& text) {
    QMessageBox::critical(this, windowTitle(), qstring(text));
}

void TFMain::Quit() {
    QCoreApplication::quit();
    hide();
}

std::string TFMain::Restart(const front::RestartRequest& request) {
    std::vector<std::string> arguments{platform::utf8_of(request.program)};
    arguments.insert(arguments.end(), request.arguments.begin(), request.arguments.end());
    if (hand_over_)
        return hand_over_(arguments);
    return platform::replace_process(request.program, arguments);
}

// Dragging by the background

void TFMain::mousePressEvent(QMouseEvent* event) {
    dragging_ = true;
    drag_start_ = event->position().toPoint();
    event->accept();
}

void TFMain::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_)
        move(pos() + event->position().toPoint() - drag_start_);
}

void TFMain::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
}

} // namespace launcher::app
