#pragma once

#include "config/language_table.h"

#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

namespace launcher::app {

// The core's UTF-8 text as a Qt string.
inline QString qstring(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Language string `index` of the table in force now.
inline const std::string& text_of(int index) {
    return LanguageStrings()[static_cast<std::size_t>(index)];
}

} // namespace launcher::app
