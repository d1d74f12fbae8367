#pragma once

#include <string>
#include <string_view>

namespace launcher {

// A well-kept MD5 as the reference for inputs without published vectors, as
// 32 upper-case hexadecimal digits: OpenSSL's on Linux, the system's (CNG)
// on Windows.
std::string reference_md5(std::string_view data);

} // namespace launcher
