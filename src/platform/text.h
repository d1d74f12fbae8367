#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace launcher::platform {

// Text that the launcher reads: a byte-order mark selects UTF-8, UTF-16 LE or
// UTF-16 BE; without one the bytes are taken in the system code page (see
// decode_system_code_page). The result is UTF-8 without the mark.
std::string decode_text(std::span<const std::uint8_t> bytes);
std::string decode_text(std::string_view bytes);

// Splits at CR LF, LF or CR. A final line without an ending is kept; an empty
// text gives no lines.
std::vector<std::string> split_lines(std::string_view text);

// Removes blanks and control characters (every byte up to and including the
// space) from both ends.
std::string trim(std::string_view text);

// Lower-cases by the Unicode case mapping (Cyrillic and other scripts
// included); invalid UTF-8 bytes are kept as they are.
std::string to_lower(std::string_view text);

// UTF-8 as UTF-16; invalid bytes become U+FFFD.
std::u16string utf8_to_utf16(std::string_view text);

// Lower-cases ASCII letters only.
std::string to_lower_ascii(std::string_view text);

// A decimal 32-bit integer with an optional sign, leading blanks allowed and
// nothing after it.
std::optional<std::int32_t> parse_int32(std::string_view text);

// `text` with every control character (C0, DEL and the C1 range of UTF-8)
// replaced by "?", so that text from a server or a file cannot move a
// terminal's cursor or change its colours.
std::string printable(std::string_view text);

// Text that the launcher writes: lines each ended by CR LF.
std::string join_crlf(const std::vector<std::string>& lines);

// The bytes of a text file the launcher writes for itself (the previous
// list, the user settings, the debug log): in the system code page (see
// encode_system_code_page). decode_text reads them back.
std::string encode_text(std::string_view utf8);

// Whether the bytes are UTF-8 through and through (no stray or cut-short
// sequences, no surrogates).
bool is_valid_utf8(std::string_view text);

// UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16_to_utf8(std::u16string_view text);

} // namespace launcher::platform
