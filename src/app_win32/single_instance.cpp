#include "app_win32/single_instance.h"

#include <vector>

namespace launcher::app {
namespace {

struct Search {
    const std::wstring* title;
    HWND found = nullptr;
};

BOOL CALLBACK look_at_window(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<Search*>(context);
    const int length = ::GetWindowTextLengthW(window);
    if (length != static_cast<int>(search.title->size()))
        return TRUE;
    std::vector<wchar_t> caption(static_cast<std::size_t>(length) + 1);
    ::GetWindowTextW(window, caption.data(), length + 1);
    if (::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, caption.data(), length,
                         search.title->c_str(), length) == CSTR_EQUAL) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

std::wstring class_of(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

// Turns the minimize and restore animation off while it lives.
class AnimationPaused {
public:
    AnimationPaused() {
        info_.cbSize = sizeof info_;
        if (::SystemParametersInfoW(SPI_GETANIMATION, sizeof info_, &info_, 0) &&
            info_.iMinAnimate != 0) {
            ANIMATIONINFO off = info_;
            off.iMinAnimate = 0;
            paused_ = ::SystemParametersInfoW(SPI_SETANIMATION, sizeof off, &off, 0) != FALSE;
        }
    }
    ~AnimationPaused() {
        if (paused_)
            ::SystemParametersInfoW(SPI_SETANIMATION, sizeof info_, &info_, 0);
    }
    AnimationPaused(const AnimationPaused&) = delete;
    AnimationPaused& operator=(const AnimationPaused&) = delete;

private:
    ANIMATIONINFO info_{};
    bool paused_ = false;
};

void show_in_front(HWND window) {
    if (::IsIconic(window))
        ::ShowWindow(window, SW_RESTORE);
    else
        ::ShowWindow(window, SW_SHOW);
    ::SetForegroundWindow(window);
}

} // namespace

HWND FindInstanceWindow(const std::wstring& instance_title) {
    Search search{&instance_title};
    ::EnumWindows(&look_at_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool BringRunningInstanceForward(const std::wstring& instance_title) {
    HWND window = FindInstanceWindow(instance_title);
    if (window == nullptr)
        return false;
    const HWND desktop = ::GetDesktopWindow();
    for (HWND owner = ::GetWindow(window, GW_OWNER); owner != nullptr && owner != desktop;
         owner = ::GetWindow(window, GW_OWNER))
        window = owner;

    const AnimationPaused animation_paused;
    // The hidden application window of a program of the same framework.
    if (class_of(window) == L"TApplication") {
        if (::IsIconic(window)) {
            ::SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
            return true;
        }
        ::ShowWindow(window, SW_SHOWNOACTIVATE);
    } else {
        show_in_front(window);
    }
    const HWND popup = ::GetLastActivePopup(window);
    if (popup != window && ::IsWindowVisible(popup) && ::IsWindowEnabled(popup))
        ::SetForegroundWindow(popup);
    else
        show_in_front(popup);
    return true;
}

} // namespace launcher::app
