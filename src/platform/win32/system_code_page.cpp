#include "platform/system_code_page.h"

#include "platform/text.h"
#include "platform/win32/win32_text.h"

namespace launcher::platform {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

} // namespace

std::string decode_system_code_page(std::span<const std::uint8_t> bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (is_valid_utf8(text))
        return std::string(text);
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
    return win32::narrow(wide);
}

std::string encode_system_code_page(std::string_view utf8) {
    if (::GetACP() == CP_UTF8)
        return std::string(utf8);
    const std::wstring wide = win32::wide(utf8);
    const int size = static_cast<int>(wide.size());
    BOOL lossy = FALSE;
    // No best-fit letters ("é" as "e"): a character without its own form
    // counts as lost.
    const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size,
                                             nullptr, 0, nullptr, &lossy);
    if (lossy || (length == 0 && size > 0))
        return std::string(kUtf8Mark) + std::string(utf8);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, bytes.data(), length,
                          nullptr, &lossy);
    return bytes;
}

} // namespace launcher::platform
