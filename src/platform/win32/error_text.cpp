#include "platform/error_text.h"

#include "platform/win32/win32_text.h"

namespace launcher::platform {

std::string error_text(const std::error_code& error) {
    if (error.category() != std::system_category())
        return error.message();
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error.value()), 0, reinterpret_cast<wchar_t*>(&text), 0,
        nullptr);
    if (length == 0 || text == nullptr)
        return "Windows error " + std::to_string(error.value());
    std::wstring message(text, length);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r'))
        message.pop_back();
    return win32::narrow(message);
}

} // namespace launcher::platform
