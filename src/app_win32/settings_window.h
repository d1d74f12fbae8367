#pragma once

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
// window when the dialog closes (Choices).
class TFSettings {
public:
    static constexpr wchar_t kWindowClass[] = L"TFSettings";
    // The designed client size; the skin's background only gives the outline.
    static constexpr int kDesignWidth = 520;
    static constexpr int kDesignHeight = 360;
    // How far each FadeIn tick unrolls the dialog.
    static constexpr int kFadeStep = 10;

    // FormCreate. `main_values` are the main window's choices: the dialog
    // shows them on opening and sets the language in them when one is picked.
    TFSettings(Win32EventLoop& loop, tConfigData& config, const TqorConfigWindow& skin,
               UserSettings& main_values, HWND owner);
    ~TFSettings();
    TFSettings(const TFSettings&) = delete;
    TFSettings& operator=(const TFSettings&) = delete;

    // Carries the settings window skin onto the controls (after creation).
    void SetDataToForm();
    void SetLanguage();
    void Box_LanguageChange();
    SettingsChoices Choices() const;

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

    void FormCreate();
    void FormShow();
    void FadeInTimer();
    void apply_permissions();
    void apply_control_look();
    void show_language();
    void show_proxies();
    void set_width(int width);
    void fill_list(HWND box, const std::vector<std::string>& items);
    HWND control(Control id) const { return ::GetDlgItem(window_, id); }
    bool enabled(Control id) const { return ::IsWindowEnabled(control(id)) != FALSE; }
    int selected(Control id) const;
    void select(Control id, int index);
    void draw_item(const DRAWITEMSTRUCT& item);
    void set_checked(bool checked);
    static LRESULT CALLBACK list_procedure(HWND box, UINT message, WPARAM wparam, LPARAM lparam,
                                           UINT_PTR id, DWORD_PTR self);
    void paint_list_frame(HWND box) const;
    void paint(HDC dc, const RECT& area);
    void redraw(const Rect& before, const Rect& after);

    Win32EventLoop& loop_;
    tConfigData& config_;
    const TqorConfigWindow& skin_;
    UserSettings& main_values_;
    HWND window_ = nullptr;
    Bitmap background_;
    std::unique_ptr<DibSection> picture_;
    std::unique_ptr<TLabel> Text_Title;
    std::unique_ptr<TLabel> Text_Language;
    std::unique_ptr<TLabel> Text_Autoclose;
    std::unique_ptr<TLabel> Text_Proxy;
    std::unique_ptr<TLabel> Text_DriveType;
    std::unique_ptr<TLabel> Text_CheckType;
    // The language sections' id texts, in the order of Box_Language.
    std::vector<std::string> language_ids_;
    HBRUSH face_brush_ = nullptr;
    COLORREF face_ = RGB(0x40, 0x40, 0x40);
    COLORREF text_color_ = RGB(0xFF, 0xFF, 0xFF);
    COLORREF faint_ = RGB(0x80, 0x80, 0x80);
    COLORREF highlight_ = RGB(0x60, 0x60, 0x60);
    HFONT font_ = nullptr; // the captions' font, shared with the controls
    bool open_ = false;
    bool checked_ = false; // Check_Autoclose
    // The full width while the dialog unrolls.
    int FormWidth = kDesignWidth;
    int width_ = kDesignWidth;
    std::uint64_t FadeIn = 0;
};

} // namespace launcher::app
