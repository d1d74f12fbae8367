#include "platform/local_time.h"

#include <time.h>

namespace launcher::platform {

std::optional<LocalTime> local_time_of(std::int64_t universal_seconds) {
    tm local{};
    const auto seconds = static_cast<time_t>(universal_seconds);
    if (localtime_r(&seconds, &local) == nullptr)
        return std::nullopt;
    return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                     local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::optional<std::int64_t> universal_time_of(const LocalTime& wanted) {
    tm local{};
    local.tm_year = wanted.year - 1900;
    local.tm_mon = wanted.month - 1;
    local.tm_mday = wanted.day;
    local.tm_hour = wanted.hour;
    local.tm_min = wanted.minute;
    local.tm_sec = wanted.second;
    local.tm_isdst = -1; // let the zone's rules for that date decide
    const time_t seconds = mktime(&local);
    if (seconds == static_cast<time_t>(-1)) {
        // -1 is also one real second before 1970; tell it from a failure.
        tm check{};
        if (localtime_r(&seconds, &check) == nullptr || check.tm_year != wanted.year - 1900 ||
            check.tm_mon != wanted.month - 1 || check.tm_mday != wanted.day ||
            check.tm_hour != wanted.hour || check.tm_min != wanted.minute)
            return std::nullopt;
    }
    return static_cast<std::int64_t>(seconds);
}

} // namespace launcher::platform
