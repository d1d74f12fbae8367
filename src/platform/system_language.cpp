#include "platform/system_language.h"

#include <array>
#include <cstdlib>
#include <string>
#include <utility>

namespace launcher::platform {
namespace {

struct LocaleLanguage {
    std::string_view locale;
    std::int32_t id;
};

// Windows language identifiers of the common locales. A language given
// without a territory takes its main territory's identifier.
constexpr std::array kLocaleLanguages{
    LocaleLanguage{"en_US", 1033}, LocaleLanguage{"en_GB", 2057}, LocaleLanguage{"en_AU", 3081},
    LocaleLanguage{"en_CA", 4105}, LocaleLanguage{"en", 1033},    LocaleLanguage{"ru_RU", 1049},
    LocaleLanguage{"ru_UA", 8217}, LocaleLanguage{"ru", 1049},    LocaleLanguage{"uk_UA", 1058},
    LocaleLanguage{"uk", 1058},    LocaleLanguage{"be_BY", 1059}, LocaleLanguage{"de_DE", 1031},
    LocaleLanguage{"de_AT", 3079}, LocaleLanguage{"de_CH", 2055}, LocaleLanguage{"de", 1031},
    LocaleLanguage{"fr_FR", 1036}, LocaleLanguage{"fr_BE", 2060}, LocaleLanguage{"fr_CA", 3084},
    LocaleLanguage{"fr", 1036},    LocaleLanguage{"es_ES", 3082}, LocaleLanguage{"es_MX", 2058},
    LocaleLanguage{"es", 3082},    LocaleLanguage{"it_IT", 1040}, LocaleLanguage{"it", 1040},
    LocaleLanguage{"pl_PL", 1045}, LocaleLanguage{"pl", 1045},    LocaleLanguage{"pt_BR", 1046},
    LocaleLanguage{"pt_PT", 2070}, LocaleLanguage{"pt", 2070},    LocaleLanguage{"nl_NL", 1043},
    LocaleLanguage{"nl", 1043},    LocaleLanguage{"cs_CZ", 1029}, LocaleLanguage{"cs", 1029},
    LocaleLanguage{"tr_TR", 1055}, LocaleLanguage{"tr", 1055},    LocaleLanguage{"kk_KZ", 1087},
    LocaleLanguage{"zh_CN", 2052}, LocaleLanguage{"zh_TW", 1028}, LocaleLanguage{"ja_JP", 1041},
    LocaleLanguage{"ko_KR", 1042}, LocaleLanguage{"C", 1033},     LocaleLanguage{"POSIX", 1033},
};

} // namespace

std::int32_t language_id_for_locale(std::string_view locale) {
    // Drop the code set and modifier: "ru_RU.UTF-8@euro" -> "ru_RU".
    locale = locale.substr(0, locale.find_first_of(".@"));
    for (const auto& entry : kLocaleLanguages)
        if (entry.locale == locale)
            return entry.id;
    const std::string_view language = locale.substr(0, locale.find('_'));
    for (const auto& entry : kLocaleLanguages)
        if (entry.locale == language)
            return entry.id;
    return 0;
}

} // namespace launcher::platform
