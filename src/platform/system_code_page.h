#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace launcher::platform {

// Text without a byte-order mark, read in the system's code page, as UTF-8.
// POSIX systems: the code page is UTF-8 and the bytes stay as they are.
// Windows: bytes that form valid UTF-8 are UTF-8 (ASCII, and what this
// launcher and the publisher's tool write elsewhere); any other text is in
// the ANSI code page (CP_ACP), as older launchers and publishers wrote it.
std::string decode_system_code_page(std::span<const std::uint8_t> bytes);

// UTF-8 text as the bytes of a text file the launcher writes for itself.
// POSIX systems: UTF-8. Windows: the ANSI code page when every character has
// a form there; otherwise UTF-8 behind a byte-order mark, so that no name is
// lost to a "?" (readers tell the two apart by the mark).
std::string encode_system_code_page(std::string_view utf8);

} // namespace launcher::platform
