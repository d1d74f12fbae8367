#include "platform/locale_patterns.h"

#include <langinfo.h>
#include <locale.h>

namespace launcher::platform {

DateTimePatterns user_date_time_patterns() {
    locale_t locale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr))
        locale = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr))
        return {"%m/%d/%y", "%H:%M:%S"};
    DateTimePatterns patterns{nl_langinfo_l(D_FMT, locale), nl_langinfo_l(T_FMT, locale)};
    freelocale(locale);
    return patterns;
}

} // namespace launcher::platform
