#pragma once

#include <string>
#include <system_error>

namespace launcher::platform {

// The system's own words for an error code, as UTF-8 text ("No such file or
// directory", "The process cannot access the file because it is being used
// by another process.").
std::string error_text(const std::error_code& error);

} // namespace launcher::platform
