#include "platform/environment.h"

#include "platform/win32/win32_text.h"

namespace launcher::platform {

std::optional<std::string> environment_variable(const std::string& name) {
    const std::wstring wide_name = win32::wide(name);
    const DWORD length = ::GetEnvironmentVariableW(wide_name.c_str(), nullptr, 0);
    if (length == 0)
        return std::nullopt;
    std::wstring value(length, L'\0');
    const DWORD written = ::GetEnvironmentVariableW(wide_name.c_str(), value.data(), length);
    value.resize(written);
    return win32::narrow(value);
}

void set_environment_variable(const std::string& name, const std::string& value) {
    ::SetEnvironmentVariableW(win32::wide(name).c_str(), win32::wide(value).c_str());
}

void unset_environment_variable(const std::string& name) {
    ::SetEnvironmentVariableW(win32::wide(name).c_str(), nullptr);
}

} // namespace launcher::platform
