#pragma once

#include "front/settings_presenter.h"
#include "front/settings_surface.h"
#include "launch/settings_choices.h"

#include <QDialog>
#include <QImage>
#include <memory>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace launcher {
namespace platform {
class EventLoop;
} // namespace platform
class tConfigData;
class TqorConfigWindow;
struct UserSettings;
} // namespace launcher

namespace launcher::app {

class TLabel;
class TRightAlignedLabel;

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
//
// What the dialog does is its presenter's; the dialog draws.
class TFSettings final : public QDialog, public front::SettingsSurface {
public:
    static constexpr int kDesignWidth = front::SettingsPresenter::kDesignWidth;
    static constexpr int kDesignHeight = front::SettingsPresenter::kDesignHeight;

    // FormCreate. `main_values` are the main window's choices: the dialog
    // shows them on opening and sets the language in them when one is picked.
    TFSettings(platform::EventLoop& loop, tConfigData& config, const TqorConfigWindow& skin,
               UserSettings& main_values, QWidget* parent = nullptr);
    ~TFSettings() override;

    // Carries the settings window skin onto the controls (after creation).
    void SetDataToForm();
    // The choices of the enabled controls, for the main window to take back.
    SettingsChoices Choices() const { return presenter_->Choices(); }

    front::SettingsPresenter& presenter() { return *presenter_; }
    const SettingsControls& controls() const { return controls_; }

    // SettingsSurface
    void SetCaption(front::SettingsCaption caption, std::string_view text) override;
    void SetEnabled(front::SettingsControl control, bool enabled) override;
    bool Enabled(front::SettingsControl control) const override;
    void SetItems(front::SettingsControl list, const std::vector<std::string>& items) override;
    void Select(front::SettingsControl list, int index) override;
    int Selected(front::SettingsControl list) const override;
    std::string ItemText(front::SettingsControl list, int index) const override;
    void SetChecked(bool checked) override;
    bool Checked() const override;
    void SetWidth(int width) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void create_controls();
    void apply_control_look();
    QWidget* control(front::SettingsControl control) const;
    QComboBox* list(front::SettingsControl list) const;
    TLabel* caption(front::SettingsCaption caption) const;

    const TqorConfigWindow& skin_;
    SettingsControls controls_;
    QImage background_;
    std::unique_ptr<front::SettingsPresenter> presenter_;
};

} // namespace launcher::app
