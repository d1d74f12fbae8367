#include "app_win32/tray_icon.h"

#include "app_win32/dib_section.h"

#include <algorithm>

namespace launcher::app {

HICON LauncherIcon(const Bitmap& background, int side) {
    if (background.empty())
        return nullptr;
    DibSection colour(side, side);
    colour.Fill({0, 0, side, side}, 0);
    DibSection whole(background.width(), background.height());
    whole.Draw(background, 0, 0);
    const double scale = std::min(static_cast<double>(side) / background.width(),
                                  static_cast<double>(side) / background.height());
    const int width = std::max(1, static_cast<int>(background.width() * scale));
    const int height = std::max(1, static_cast<int>(background.height() * scale));
    const int left = (side - width) / 2;
    const int top = (side - height) / 2;
    ::SetStretchBltMode(colour.dc(), HALFTONE);
    ::StretchBlt(colour.dc(), left, top, width, height, whole.dc(), 0, 0, background.width(),
                 background.height(), SRCCOPY);
    // The mask shows the scaled picture and hides the margins around it.
    const HBITMAP mask = ::CreateBitmap(side, side, 1, 1, nullptr);
    const HDC mask_dc = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = ::SelectObject(mask_dc, mask);
    ::PatBlt(mask_dc, 0, 0, side, side, WHITENESS);
    ::PatBlt(mask_dc, left, top, width, height, BLACKNESS);
    ::SelectObject(mask_dc, previous);
    ::DeleteDC(mask_dc);
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask;
    info.hbmColor = colour.bitmap();
    const HICON icon = ::CreateIconIndirect(&info);
    ::DeleteObject(mask);
    return icon;
}

TrayIcon::TrayIcon(HWND window, HICON icon) {
    data_.cbSize = sizeof data_;
    data_.hWnd = window;
    data_.uID = 1;
    data_.uFlags = NIF_MESSAGE | NIF_ICON;
    data_.uCallbackMessage = kCallbackMessage;
    data_.hIcon = icon;
    shown_ = ::Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
}

TrayIcon::~TrayIcon() {
    Remove();
}

void TrayIcon::SetHint(const std::wstring& hint) {
    const std::size_t length = std::min(hint.size(), std::size(data_.szTip) - 1);
    std::copy_n(hint.c_str(), length, data_.szTip);
    data_.szTip[length] = L'\0';
    data_.uFlags |= NIF_TIP;
    if (shown_)
        ::Shell_NotifyIconW(NIM_MODIFY, &data_);
}

void TrayIcon::Remove() {
    if (!shown_)
        return;
    ::Shell_NotifyIconW(NIM_DELETE, &data_);
    shown_ = false;
}

} // namespace launcher::app
