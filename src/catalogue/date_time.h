#pragma once

#include <cstdint>
#include <optional>
#include <time.h>

namespace launcher {

// A date as a day count since 30 December 1899; the fraction is the time of
// day. Before that day the whole part is negative and the fraction still
// counts forwards from midnight (-1.25 is 29 December 1899, 06:00).
using TDateTime = double;

struct CivilDateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

bool is_valid_date(int year, int month, int day);
bool is_valid_time(int hour, int minute, int second, int millisecond);

// Day count of a calendar date and time; the fields must be valid.
TDateTime encode_date_time(const CivilDateTime& value);

// The calendar date and time of a day count, to the nearest millisecond;
// none for values outside years 1 to 9999 or not a number.
std::optional<CivilDateTime> decode_date_time(TDateTime value);

// A file-system time (universal) as local time by the time-zone rules in force
// at that date, to the millisecond.
TDateTime local_date_time_from_file_time(const timespec& file_time);

// The inverse: a local day count as a file-system time, by the rules in force
// at that local date. None when the value has no calendar date.
std::optional<timespec> file_time_from_local_date_time(TDateTime value);

} // namespace launcher
