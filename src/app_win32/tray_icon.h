#pragma once

#include "skin/bitmap.h"

#include <string>
// The shell header needs the system header first.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

namespace launcher::app {

// The launcher's icon, for the window and the notification area: the skin's
// background scaled into a square with its proportions kept, so that every
// publisher's launcher is told apart by its own look. None for no background.
HICON LauncherIcon(const Bitmap& background, int side);

// The notification-area icon of the main window (Shell_NotifyIconW). Its
// clicks arrive at the window as kCallbackMessage with the mouse message in
// the low word of lparam.
class TrayIcon {
public:
    static constexpr UINT kCallbackMessage = WM_APP + 20;

    TrayIcon(HWND window, HICON icon);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    void SetHint(const std::wstring& hint);
    void Remove();
    bool shown() const { return shown_; }

private:
    NOTIFYICONDATAW data_{};
    bool shown_ = false;
};

} // namespace launcher::app
