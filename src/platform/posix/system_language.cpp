#include "platform/system_language.h"

#include <cstdlib>

namespace launcher::platform {

std::int32_t system_default_language_id() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value == nullptr || *value == '\0')
            continue;
        const std::int32_t id = language_id_for_locale(value);
        return id != 0 ? id : 1033;
    }
    return 1033;
}

} // namespace launcher::platform
