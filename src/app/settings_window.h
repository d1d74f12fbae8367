#pragma once

#include "launch/settings_choices.h"

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QTimer>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace launcher {
class tConfigData;
class TqorConfigWindow;
struct UserSettings;
} // namespace launcher

namespace launcher::app {

class TLabel;
class TRightAlignedLabel;

// Where the settings window opens: 60 pixels left of and above the place that
// would centre it on the main window (halves rounded toward zero).
QPoint SettingsWindowPosition(const QRect& main_window, const QSize& dialog);

// The settings window's controls; the dialog owns them.
struct SettingsControls {
    TLabel* Text_Title = nullptr;
    QComboBox* Box_Language = nullptr;
    TRightAlignedLabel* Text_Language = nullptr;
    QCheckBox* Check_Autoclose = nullptr;
    TRightAlignedLabel* Text_Autoclose = nullptr;
    QPushButton* Button_Ok = nullptr;
    QComboBox* Box_Proxy = nullptr;
    TRightAlignedLabel* Text_Proxy = nullptr;
    QComboBox* Box_DriveType = nullptr;
    TRightAlignedLabel* Text_DriveType = nullptr;
    QComboBox* Box_CheckType = nullptr;
    TRightAlignedLabel* Text_CheckType = nullptr;
};

// The small frameless dialog in which the player picks the interface
// language, closing after the game start, the game proxy, the drive type and
// the file check mode. It is created once at start-up and opened modally by
// the main window's settings button any number of times; every opening shows
// the main window's current choices, and each control is enabled only when the
// configuration lets the player make that choice. A picked language is in
// force at once; the other choices go back to the main window when the dialog
// closes (Choices).
class TFSettings final : public QDialog {
public:
    // The designed client size; the skin's background only gives the outline.
    static constexpr int kDesignWidth = 520;
    static constexpr int kDesignHeight = 360;
    // How far each FadeIn tick unrolls the dialog.
    static constexpr int kFadeStep = 10;

    // FormCreate. `main_values` are the main window's choices: the dialog
    // shows them on opening and sets the language in them when one is picked.
    TFSettings(tConfigData& config, const TqorConfigWindow& skin, UserSettings& main_values,
               QWidget* parent = nullptr);
    ~TFSettings() override;

    // Carries the settings window skin onto the controls (after creation).
    void SetDataToForm();
    // The six labels from the language table.
    void SetLanguage();
    // The player picked a language: it is applied at once.
    void Box_LanguageChange();
    // The choices of the enabled controls, for the main window to take back.
    SettingsChoices Choices() const;

    const SettingsControls& controls() const { return controls_; }

    // Unrolls the dialog from its left edge after it opens, when configured.
    QTimer FadeIn;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void create_controls();
    void FormCreate();
    void FormShow();
    void FadeInTimer();
    // The configuration's permissions (also repeated on every opening).
    void apply_permissions();
    void apply_control_look();
    void show_language();
    void show_proxies();
    void show_drive_type();
    void show_check_mode();
    void set_width(int width);

    tConfigData& config_;
    const TqorConfigWindow& skin_;
    UserSettings& main_values_;
    SettingsControls controls_;
    QImage background_;
    // The full width while the dialog unrolls.
    int FormWidth = kDesignWidth;
};

} // namespace launcher::app
