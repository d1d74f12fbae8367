#include "platform/system_language.h"

#include <windows.h>

namespace launcher::platform {

std::int32_t system_default_language_id() {
    return static_cast<std::int32_t>(::GetUserDefaultUILanguage());
}

} // namespace launcher::platform
