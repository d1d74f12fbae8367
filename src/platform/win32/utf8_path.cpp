#include "platform/utf8_path.h"

#include "platform/win32/win32_text.h"

namespace launcher::platform {

std::filesystem::path path_from_utf8(std::string_view text) {
    return std::filesystem::path(win32::wide(text));
}

std::string utf8_of(const std::filesystem::path& path) {
    return win32::narrow(path.native());
}

std::string generic_utf8_of(const std::filesystem::path& path) {
    return win32::narrow(path.generic_wstring());
}

} // namespace launcher::platform
