#pragma once

#include <cstdint>
#include <string_view>

namespace launcher::platform {

// The system's default language identifier (primary and sub-language, such
// as 1033 for en_US). Windows: the user's interface language
// (GetUserDefaultUILanguage). Elsewhere derived from the locale environment:
// LC_ALL, then LC_MESSAGES, then LANG; an unknown or unset locale gives 1033.
std::int32_t system_default_language_id();

// The identifier for one locale name such as "ru_RU.UTF-8"; 0 when unknown.
std::int32_t language_id_for_locale(std::string_view locale);

} // namespace launcher::platform
