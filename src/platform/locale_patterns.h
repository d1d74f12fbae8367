#pragma once

#include <string>
#include <string_view>

namespace launcher::platform {

// How the user's locale writes a short date and a time, as strftime-style
// patterns ("%d.%m.%Y", "%H:%M:%S").
struct DateTimePatterns {
    std::string date;
    std::string time;
};

// POSIX: the LC_TIME locale's D_FMT and T_FMT (LC_ALL, LC_TIME, LANG), the C
// locale's when that locale is not installed. Windows: the user's short date
// and time formats (LOCALE_SSHORTDATE, LOCALE_STIMEFORMAT).
DateTimePatterns user_date_time_patterns();

// A Windows date or time picture ("dd.MM.yyyy", "h:mm:ss tt") as a
// strftime-style pattern ("%d.%m.%Y", "%I:%M:%S %p"). Quoted text is kept as
// it stands; letters the pictures do not know are kept too.
std::string strftime_pattern_of_windows_picture(std::string_view picture);

} // namespace launcher::platform
