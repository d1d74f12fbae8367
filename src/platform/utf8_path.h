#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace launcher::platform {

// The launcher keeps every name as UTF-8 text. These two are the only way
// between that text and a file-system path: Windows paths are wide, and
// std::filesystem would read a plain std::string there in the ANSI code
// page (and path::string() would write one), losing every character the
// code page lacks.

// A path from UTF-8 text; bytes that are not UTF-8 become U+FFFD on Windows
// and stay as they are elsewhere.
std::filesystem::path path_from_utf8(std::string_view text);

// A path's UTF-8 text.
std::string utf8_of(const std::filesystem::path& path);

// A path's UTF-8 text with "/" between its parts on every system, for names
// shown the same way wherever they were found.
std::string generic_utf8_of(const std::filesystem::path& path);

} // namespace launcher::platform
