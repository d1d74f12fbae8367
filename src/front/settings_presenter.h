#pragma once

#include "launch/settings_choices.h"
#include "platform/event_loop.h"

#include <string>
#include <vector>

namespace launcher {
class tConfigData;
struct UserSettings;
} // namespace launcher

namespace launcher::front {

class SettingsSurface;

// What the settings dialog does, whatever toolkit draws it: the player picks
// the interface language, closing after the game start, the game proxy, the
// drive type and the file check mode. Every opening shows the main window's
// current choices, and each control is enabled only when the configuration
// lets the player make that choice. A picked language is in force at once;
// the other choices go back to the main window when the dialog closes
// (Choices). With the fade effect each opening unrolls the dialog from its
// left edge.
class SettingsPresenter {
public:
    // The designed client size; the skin's background only gives the outline.
    static constexpr int kDesignWidth = 520;
    static constexpr int kDesignHeight = 360;
    // How far each FadeIn tick unrolls the dialog, and how often it ticks.
    static constexpr int kFadeStep = 10;
    static constexpr platform::Milliseconds kFadeInterval{20};

    // FormCreate; the surface's controls exist already. `main_values` are
    // the main window's choices: the dialog shows them on opening and sets
    // the language in them when one is picked.
    SettingsPresenter(platform::EventLoop& loop, SettingsSurface& surface, tConfigData& config,
                      UserSettings& main_values);
    ~SettingsPresenter();
    SettingsPresenter(const SettingsPresenter&) = delete;
    SettingsPresenter& operator=(const SettingsPresenter&) = delete;

    // An opening of the dialog, and its closing (however it closed).
    void FormShow();
    void FormHide();
    // The captions from the language table.
    void SetLanguage();
    // The player picked a language: it is applied at once.
    void Box_LanguageChange();
    // The choices of the enabled controls, for the main window to take back.
    SettingsChoices Choices() const;

    int width() const { return width_; }
    bool unrolling() const { return fade_timer_ != 0; }

private:
    // The configuration's permissions (also repeated on every opening).
    void apply_permissions();
    void show_language();
    void show_proxies();
    void FadeInTimer();
    void stop_fade();
    void set_width(int width);

    platform::EventLoop& loop_;
    SettingsSurface& surface_;
    tConfigData& config_;
    UserSettings& main_values_;
    // The language sections' id texts, in the order of Box_Language.
    std::vector<std::string> language_ids_;
    // The full width while the dialog unrolls.
    int full_width_ = kDesignWidth;
    int width_ = kDesignWidth;
    platform::EventLoop::TimerId fade_timer_ = 0;
};

} // namespace launcher::front
