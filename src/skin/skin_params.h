#pragma once

#include "skin/skin_blocks.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace launcher {

// Parameter lists hold lines "key = value". The key is the text before the
// first "=", the value the text after it, both trimmed of blanks and control
// characters. Keys match exactly, letter case included; the first match wins.

// The value of `key`, or the empty string when no line has that key.
std::string GetParamValue(const StringList& list, std::string_view key);

// The value as a signed 64-bit integer: an optional sign, then decimal digits
// or hexadecimal digits after "$", "x", "X", "0x" or "0X". Anything else, an
// empty value, an absent key or a number outside 64 bits gives 0. Hexadecimal
// numbers are 64-bit patterns, so "$FFFFFFFFFFFFFFFF" is -1.
std::int64_t GetParamInt(const StringList& list, std::string_view key);

// True exactly when the value is "true" in lower case.
bool GetParamBool(const StringList& list, std::string_view key);

// The integer rule of GetParamInt applied to one value.
std::int64_t ParseParamInt(std::string_view value);

// The same, or none when the value is not a number of that form (and
// GetParamInt reads it as 0).
std::optional<std::int64_t> TryParseParamInt(std::string_view value);

} // namespace launcher
