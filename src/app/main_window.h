#pragma once

#include "app/message_panel.h"
#include "config/startup.h"
#include "front/main_window_presenter.h"
#include "front/main_window_surface.h"
#include "skin/main_window_controls.h"

#include <QImage>
#include <QPoint>
#include <QSystemTrayIcon>
#include <QWidget>
#include <memory>
#include <string>

namespace launcher::app {

class ImageButtonWidget;
class NewsBrowser;
class SkinControlWidget;
class TFSettings;
class TLabel;
class TShadowLabel;

using front::MainWindowSetup;

// The launcher's main window: frameless, the size of the skin's background,
// painted with it and cut to its outline. It hosts the skinned buttons,
// progress bars and gauges, the status labels and the message panel, and it
// is the surface the main window's presenter (and through it the update
// workflow) draws on.
class TFMain final : public QWidget, public front::MainWindowSurface {
public:
    // FormCreate: needs a skin with a main window background.
    TFMain(platform::EventLoop& loop, StartupState& startup, MainWindowSetup setup,
           QWidget* parent = nullptr);
    ~TFMain() override;

    // Carries the main window skin onto the controls (after creation).
    void SetDataToForm();
    // The notification-area icon's tooltip.
    void SetTrayHint(const std::string& hint);
    // The settings window the settings button opens; none leaves the button idle.
    void SetSettingsWindow(TFSettings* settings_window) { settings_window_ = settings_window; }

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

    MainWindowControls& controls() { return controls_; }
    MessagePanel& message_panel() { return *message_panel_; }
    TShadowLabel& status_label() { return *status_label_; }
    TShadowLabel& total_status_label() { return *total_status_label_; }
    TShadowLabel& lang_box_description_label() { return *lang_box_description_label_; }
    ImageButtonWidget& start_button() { return *start_button_; }
    NewsBrowser* news_browser() { return news_browser_; }
    QWidget& web_panel() { return *web_panel_; }
    QSystemTrayIcon& tray_icon() { return tray_icon_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void create_controls();

    StartupState& startup_;
    MainWindowControls controls_;
    QImage background_;
    QSystemTrayIcon tray_icon_;

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
    TLabel* title_label_ = nullptr;
    // Pixels kept free between a status line and the start button.
    static constexpr int kStatusGap = 4;
    int status_width(const QWidget& line) const;
    TShadowLabel* status_label_ = nullptr;
    TShadowLabel* total_status_label_ = nullptr;
    TShadowLabel* lang_box_description_label_ = nullptr;
    MessagePanel* message_panel_ = nullptr;
    QWidget* web_panel_ = nullptr;
    NewsBrowser* news_browser_ = nullptr;
    TFSettings* settings_window_ = nullptr;

    bool dragging_ = false;
    QPoint drag_start_;

    // Last: its creation draws on the controls above.
    std::unique_ptr<front::MainWindowPresenter> presenter_;
    // Hands the run over to a replaced executable; see MainWindowSetup.
    std::function<std::string(const std::vector<std::string>&)> hand_over_;
};

} // namespace launcher::app
