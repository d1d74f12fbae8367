#pragma once

#include "config/language_table.h"

#include <string>
#include <string_view>

namespace launcher::front {

// A status line written in the language of `before`, in the language of
// `after`: the longest entry that begins the line is replaced by the same
// entry of `after`, and what follows it (a file name, a percentage, a
// reason) is kept. A line no entry begins stays as it is.
std::string TranslatedStatus(std::string_view line, const LanguageTable& before,
                             const LanguageTable& after);

} // namespace launcher::front
