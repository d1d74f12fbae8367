#include "platform/local_time.h"

#include "platform/win32/file_time.h"

namespace launcher::platform {
namespace {

// The system's zone with the rules it had in `year` (the dynamic
// daylight-saving data), so that a date is converted by its own year's rules.
bool zone_in_year(int year, TIME_ZONE_INFORMATION& rules) {
    DYNAMIC_TIME_ZONE_INFORMATION zone{};
    return ::GetDynamicTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID &&
           ::GetTimeZoneInformationForYear(static_cast<USHORT>(year), &zone, &rules);
}

} // namespace

std::optional<LocalTime> local_time_of(std::int64_t universal_seconds) {
    const FILETIME universal_file_time =
        win32::file_time_of(timespec{static_cast<time_t>(universal_seconds), 0});
    SYSTEMTIME universal{};
    SYSTEMTIME local{};
    TIME_ZONE_INFORMATION rules{};
    if (!::FileTimeToSystemTime(&universal_file_time, &universal) ||
        !zone_in_year(universal.wYear, rules) ||
        !::SystemTimeToTzSpecificLocalTime(&rules, &universal, &local))
        return std::nullopt;
    return LocalTime{local.wYear, local.wMonth,  local.wDay,
                     local.wHour, local.wMinute, local.wSecond};
}

std::optional<std::int64_t> universal_time_of(const LocalTime& wanted) {
    TIME_ZONE_INFORMATION rules{};
    if (wanted.year < 1601 || wanted.year > 30827 || !zone_in_year(wanted.year, rules))
        return std::nullopt;
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(wanted.year);
    local.wMonth = static_cast<WORD>(wanted.month);
    local.wDay = static_cast<WORD>(wanted.day);
    local.wHour = static_cast<WORD>(wanted.hour);
    local.wMinute = static_cast<WORD>(wanted.minute);
    local.wSecond = static_cast<WORD>(wanted.second);
    SYSTEMTIME universal{};
    FILETIME universal_file_time{};
    if (!::TzSpecificLocalTimeToSystemTime(&rules, &local, &universal) ||
        !::SystemTimeToFileTime(&universal, &universal_file_time))
        return std::nullopt;
    return static_cast<std::int64_t>(win32::timespec_of(universal_file_time).tv_sec);
}

} // namespace launcher::platform
