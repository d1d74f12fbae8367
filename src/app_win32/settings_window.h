#pragma once

#include "front/settings_presenter.h"
#include "front/settings_surface.h"
#include "launch/settings_choices.h"
#include "skin/bitmap.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include <windows.h>

namespace launcher {
class tConfigData;
class TqorConfigWindow;
struct UserSettings;
} // namespace launcher

namespace launcher::app {

class DibSection;
class TLabel;
class Win32EventLoop;

// The small borderless dialog in which the player picks the interface
// language, closing after the game start, the game proxy, the drive type and
// the file check mode: a pop-up owned by the main window, cut to its
// background's outline by the colour of its top-left pixel and painted with
// it. Its captions are windowless labels; its lists, check box and Ok button
// are the system's controls in the skin's look (drawn by the dialog in the
// captions' font and colour on a face made from the background under them).
// Created once at start-up, opened modally any number of times; every
// opening shows the main window's current choices, and each control is
// enabled only when the configuration lets the player make that choice. A
// picked language is in force at once; the other choices go back to the main
// window when the dialog closes (Choices). What the dialog does is its
// presenter's; the dialog draws.
class TFSettings final : public front::SettingsSurface {
public:
    static constexpr wchar_t kWindowClass[] = L"TFSettings";
    static constexpr int kDesignWidth = front::SettingsPresenter::kDesignWidth;
    static constexpr int kDesignHeight = front::SettingsPresenter::kDesignHeight;

    // FormCreate. `main_values` are the main window's choices: the dialog
    // shows them on opening and sets the language in them when one is picked.
    TFSettings(Win32EventLoop& loop, tConfigData& config, const TqorConfigWindow& skin,
               UserSettings& main_values, HWND owner);
    ~TFSettings() override;
    TFSettings(const TFSettings&) = delete;
    TFSettings& operator=(const TFSettings&) = delete;

    // Carries the settings window skin onto the controls (after creation).
    void SetDataToForm();
    SettingsChoices Choices() const { return presenter_->Choices(); }

    // SettingsSurface
    void SetCaption(front::SettingsCaption caption, std::string_view text) override;
    void SetEnabled(front::SettingsControl control, bool enabled) override;
    bool Enabled(front::SettingsControl control) const override;
    void SetItems(front::SettingsControl list, const std::vector<std::string>& items) override;
    void Select(front::SettingsControl list, int index) override;
    int Selected(front::SettingsControl list) const override;
    std::string ItemText(front::SettingsControl list, int index) const override;
    void SetChecked(bool checked) override;
    bool Checked() const override { return checked_; }
    void SetWidth(int width) override;

    // Opens the dialog with its top-left corner at (left, top) and returns
    // once it has closed (or the launcher is closing), processing messages
    // meanwhile.
    void ShowModal(int left, int top, Win32EventLoop& loop);
    void Hide();
    HWND window() const { return window_; }

    LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

private:
    enum Control : int {
        Box_Language = 101,
        Check_Autoclose,
        Button_Ok,
        Box_Proxy,
        Box_DriveType,
        Box_CheckType
    };

    void apply_control_look();
    HWND control(Control id) const { return ::GetDlgItem(window_, id); }
    HWND control(front::SettingsControl control) const;
    TLabel& caption(front::SettingsCaption caption) const;
    void draw_item(const DRAWITEMSTRUCT& item);
    static LRESULT CALLBACK list_procedure(HWND box, UINT message, WPARAM wparam, LPARAM lparam,
                                           UINT_PTR id, DWORD_PTR self);
    void paint_list_frame(HWND box) const;
    void paint(HDC dc, const RECT& area);
    void redraw(const Rect& before, const Rect& after);

    const TqorConfigWindow& skin_;
    HWND window_ = nullptr;
    Bitmap background_;
    std::unique_ptr<DibSection> picture_;
    std::unique_ptr<TLabel> title_label_;
    std::unique_ptr<TLabel> language_label_;
    std::unique_ptr<TLabel> autoclose_label_;
    std::unique_ptr<TLabel> proxy_label_;
    std::unique_ptr<TLabel> drive_type_label_;
    std::unique_ptr<TLabel> check_type_label_;
    HBRUSH face_brush_ = nullptr;
    COLORREF face_ = RGB(0x40, 0x40, 0x40);
    COLORREF text_color_ = RGB(0xFF, 0xFF, 0xFF);
    COLORREF faint_ = RGB(0x80, 0x80, 0x80);
    COLORREF highlight_ = RGB(0x60, 0x60, 0x60);
    HFONT font_ = nullptr; // the captions' font, shared with the controls
    bool open_ = false;
    bool checked_ = false; // Check_Autoclose
    std::unique_ptr<front::SettingsPresenter> presenter_;
};

} // namespace launcher::app
