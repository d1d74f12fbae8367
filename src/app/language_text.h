#pragma once

#include "config/language_table.h"

#include <QString>
#include <string_view>

namespace launcher::app {

// The core's UTF-8 text as a Qt string.
inline QString qstring(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace launcher::app
