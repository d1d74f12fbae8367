#pragma once

#include <string_view>

namespace launcher::platform {

// Whether `text` matches the shell pattern `pattern` as fnmatch(3) with no
// flags matches it: "*" any run of characters ("/" included), "?" any one,
// "[...]" one of a set (ranges, "!" or "^" to negate), "\" quotes the next
// character. POSIX systems ask fnmatch; Windows has none and uses
// match_glob_pattern.
bool glob_match(std::string_view pattern, std::string_view text);

// The same rules, written out: what Windows uses, checked against fnmatch.
bool match_glob_pattern(std::string_view pattern, std::string_view text);

} // namespace launcher::platform
