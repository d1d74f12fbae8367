#pragma once

// Helpers shared by the Windows implementations of the platform layer.
#include <string>
#include <string_view>
#include <system_error>
#include <windows.h>

namespace launcher::platform::win32 {

// UTF-8 as the wide text Windows functions take, and back.
std::wstring wide(std::string_view utf8);
std::string narrow(std::wstring_view text);

// A Windows error as an error code: the errors callers test for (missing,
// existing, refused, in use) as their portable std::errc values, every other
// one in the system category with its Windows number.
std::error_code error_code_of(DWORD error);
std::error_code last_error();

} // namespace launcher::platform::win32
