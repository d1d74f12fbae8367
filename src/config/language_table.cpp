#include "config/language_table.h"

namespace launcher {

LanguageTable& LanguageStrings() {
    static LanguageTable table;
    return table;
}

} // namespace launcher
