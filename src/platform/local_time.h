#pragma once

#include <cstdint>
#include <optional>

namespace launcher::platform {

// A calendar date and time of day in the system's local time zone.
struct LocalTime {
    int year = 1970;
    int month = 1; // 1 to 12
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0; // 60 for a leap second where the system knows them
};

// The local time of a universal time (seconds since 1 January 1970) by the
// time-zone rules in force at that date (standard or daylight-saving time as
// they applied then, not as they apply today). None when the system cannot
// say (out of its range).
std::optional<LocalTime> local_time_of(std::int64_t universal_seconds);

// The inverse: the universal time of a local time by the rules in force at
// that local date. A local time that a change of clocks skips or repeats
// resolves as the system resolves it. None when it has no universal time.
std::optional<std::int64_t> universal_time_of(const LocalTime& local);

} // namespace launcher::platform
