#include "platform/locale_patterns.h"

#include "platform/win32/win32_text.h"

namespace launcher::platform {
namespace {

std::string user_locale_text(LCTYPE type, const char* fallback) {
    wchar_t text[128] = {};
    if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, text, 128) <= 0)
        return fallback;
    return win32::narrow(text);
}

} // namespace

DateTimePatterns user_date_time_patterns() {
    return {
        strftime_pattern_of_windows_picture(user_locale_text(LOCALE_SSHORTDATE, "M/d/yyyy")),
        strftime_pattern_of_windows_picture(user_locale_text(LOCALE_STIMEFORMAT, "h:mm:ss tt"))};
}

} // namespace launcher::platform
