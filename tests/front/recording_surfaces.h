#pragma once

#include "front/main_window_surface.h"
#include "front/settings_surface.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace launcher::front {

// A main window that only remembers what it was asked to do.
class RecordingMainSurface final : public MainWindowSurface {
public:
    void SetStatus(std::string_view text) override {
        status = text;
        if (on_status)
            on_status();
    }
    void SetTotalStatus(std::string_view text) override { total_status = text; }
    void MsgShow(std::string_view text) override { messages.emplace_back(text); }
    void SetStartGameEnabled(bool enabled) override {
        start_enabled = enabled;
        start_states.push_back(enabled);
    }
    void SetCheckAllFilesVisible(bool visible) override { check_all_visible = visible; }
    void SetCheckAllFilesEnabled(bool enabled) override { check_all_enabled = enabled; }

    Rect Frame() const override { return frame; }
    Rect Screen() const override { return screen; }
    void MoveTo(int left, int top) override {
        frame = {left, top, left + static_cast<int>(frame.width()),
                 top + static_cast<int>(frame.height())};
        moves.push_back({left, top});
    }
    void SetAlpha(int alpha) override { alphas.push_back(alpha); }
    void SetTitle(std::string_view caption) override { title = caption; }
    void SetLanguageDescription(std::string_view text) override { language_description = text; }
    void SetHints(std::string_view start_game, std::string_view check_all) override {
        start_hint = start_game;
        check_all_hint = check_all;
    }
    void Navigate(const std::string& address) override { navigations.push_back(address); }
    void StopNews() override { ++news_stops; }
    void DetachNewsHandlers() override { ++news_detaches; }
    void ShowNewsPanel(bool shown) override { news_panel = shown; }
    std::optional<SettingsChoices> RunSettings(Point at) override {
        settings_openings.push_back(at);
        if (!settings_dialog)
            return std::nullopt;
        return settings_dialog();
    }
    bool HasTrayIcon() const override { return has_tray_icon; }
    void HideToTray() override { ++hidden_to_tray; }
    void Minimize() override { ++minimized; }
    void BringToFront() override { ++brought_to_front; }
    void RemoveTrayIcon() override { ++tray_icon_removals; }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    void Quit() override { ++quits; }
    std::string Restart(const RestartRequest& request) override {
        restarts.push_back(request);
        return restart_error;
    }

    std::string status;
    // Runs on each status line, while the workflow is at work.
    std::function<void()> on_status;
    std::string total_status;
    std::vector<std::string> messages;
    bool start_enabled = false;
    std::vector<bool> start_states;
    bool check_all_visible = false;
    bool check_all_enabled = false;

    Rect frame{0, 0, 800, 600};
    Rect screen{0, 0, 1920, 1080};
    std::vector<Point> moves;
    std::vector<int> alphas;
    std::string title;
    std::string language_description;
    std::string start_hint;
    std::string check_all_hint;
    std::vector<std::string> navigations;
    int news_stops = 0;
    int news_detaches = 0;
    std::optional<bool> news_panel;
    // The settings dialog's run: none means the window has no dialog.
    std::function<SettingsChoices()> settings_dialog;
    std::vector<Point> settings_openings;
    bool has_tray_icon = true;
    int hidden_to_tray = 0;
    int minimized = 0;
    int brought_to_front = 0;
    int tray_icon_removals = 0;
    std::vector<std::string> errors;
    int quits = 0;
    std::vector<RestartRequest> restarts;
    std::string restart_error = "restart refused";
};

// A settings dialog that only holds its controls' state. A list selects its
// first item when it is filled, as a toolkit's list does.
class RecordingSettingsSurface final : public SettingsSurface {
public:
    struct Control {
        bool enabled = true;
        std::vector<std::string> items;
        int selected = -1;
    };

    void SetCaption(SettingsCaption caption, std::string_view text) override {
        captions[caption] = text;
    }
    void SetEnabled(SettingsControl control, bool enabled) override {
        controls[control].enabled = enabled;
    }
    bool Enabled(SettingsControl control) const override { return at(control).enabled; }
    void SetItems(SettingsControl list, const std::vector<std::string>& items) override {
        controls[list].items = items;
        controls[list].selected = items.empty() ? -1 : 0;
    }
    void Select(SettingsControl list, int index) override { controls[list].selected = index; }
    int Selected(SettingsControl list) const override { return at(list).selected; }
    std::string ItemText(SettingsControl list, int index) const override {
        const Control& control = at(list);
        if (index < 0 || static_cast<std::size_t>(index) >= control.items.size())
            return {};
        return control.items[static_cast<std::size_t>(index)];
    }
    void SetChecked(bool value) override { checked = value; }
    bool Checked() const override { return checked; }
    void SetWidth(int value) override { width = value; }

    std::string selected_text(SettingsControl list) const { return ItemText(list, Selected(list)); }
    std::string caption(SettingsCaption which) const {
        const auto found = captions.find(which);
        return found == captions.end() ? std::string() : found->second;
    }

    std::map<SettingsControl, Control> controls;
    std::map<SettingsCaption, std::string> captions;
    bool checked = false;
    int width = 520;

private:
    const Control& at(SettingsControl control) const {
        static const Control none;
        const auto found = controls.find(control);
        return found == controls.end() ? none : found->second;
    }
};

} // namespace launcher::front
