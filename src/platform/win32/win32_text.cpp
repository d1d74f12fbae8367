#include "platform/win32/win32_text.h"

#include "platform/text.h"

namespace launcher::platform::win32 {

std::wstring wide(std::string_view utf8) {
    const std::u16string units = utf8_to_utf16(utf8);
    return std::wstring(units.begin(), units.end());
}

std::string narrow(std::wstring_view text) {
    return utf16_to_utf8(std::u16string(text.begin(), text.end()));
}

std::error_code error_code_of(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return std::make_error_code(std::errc::file_exists);
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return std::make_error_code(std::errc::permission_denied);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return std::make_error_code(std::errc::device_or_resource_busy);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return std::make_error_code(std::errc::no_space_on_device);
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return std::make_error_code(std::errc::not_enough_memory);
    case ERROR_DIRECTORY:
        return std::make_error_code(std::errc::not_a_directory);
    default:
        return {static_cast<int>(error), std::system_category()};
    }
}

std::error_code last_error() {
    return error_code_of(::GetLastError());
}

} // namespace launcher::platform::win32
