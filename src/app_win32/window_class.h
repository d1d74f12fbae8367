#pragma once

#include <windows.h>

namespace launcher::app {

// Registers a window class whose procedure hands every message to the
// object given as the creation parameter of CreateWindowExW:
//   LRESULT T::handle_message(HWND, UINT, WPARAM, LPARAM)
// Messages that arrive before WM_NCCREATE or after the object let go of the
// window go to the default procedure.
template <class T>
LRESULT CALLBACK ObjectWindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<T*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr)
        return ::DefWindowProcW(window, message, wparam, lparam);
    return self->handle_message(window, message, wparam, lparam);
}

template <class T>
void RegisterObjectWindowClass(const wchar_t* name, UINT style = 0) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.style = style;
    window_class.lpfnWndProc = &ObjectWindowProcedure<T>;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = name;
    ::RegisterClassExW(&window_class); // a second registration fails harmlessly
}

} // namespace launcher::app
