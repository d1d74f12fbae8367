#include "catalogue/date_time.h"

#include "platform/local_time.h"

#include <cmath>
#include <cstdlib>

namespace launcher {
namespace {

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

// Days since 1 January 1970 of a proleptic Gregorian date.
std::int64_t days_from_civil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto year_of_era = static_cast<unsigned>(year - era * 400);
    const unsigned day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned day_of_era =
        year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + static_cast<std::int64_t>(day_of_era) - 719468;
}

void civil_from_days(std::int64_t days, int& year, int& month, int& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto day_of_era = static_cast<unsigned>(days - era * 146097);
    const unsigned year_of_era =
        (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const unsigned day_of_year =
        day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const unsigned month_index = (5 * day_of_year + 2) / 153;
    day = static_cast<int>(day_of_year - (153 * month_index + 2) / 5 + 1);
    month = static_cast<int>(month_index < 10 ? month_index + 3 : month_index - 9);
    year =
        static_cast<int>(static_cast<std::int64_t>(year_of_era) + era * 400 + (month <= 2 ? 1 : 0));
}

const std::int64_t kDayZero = days_from_civil(1899, 12, 30);

} // namespace

bool is_valid_date(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool is_valid_time(int hour, int minute, int second, int millisecond) {
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 &&
           millisecond >= 0 && millisecond < 1000;
}

TDateTime encode_date_time(const CivilDateTime& value) {
    const auto days =
        static_cast<double>(days_from_civil(value.year, static_cast<unsigned>(value.month),
                                            static_cast<unsigned>(value.day)) -
                            kDayZero);
    const double time = static_cast<double>(value.hour * 3'600'000 + value.minute * 60'000 +
                                            value.second * 1'000 + value.millisecond) /
                        static_cast<double>(kMillisecondsPerDay);
    return days >= 0 ? days + time : days - time;
}

std::optional<CivilDateTime> decode_date_time(TDateTime value) {
    // Years 1 to 9999 span these day counts.
    if (!std::isfinite(value) || value < -693594.0 || value >= 2958466.0)
        return std::nullopt;
    const auto total = static_cast<std::int64_t>(std::llround(value * kMillisecondsPerDay));
    const std::int64_t days = total / kMillisecondsPerDay;
    const std::int64_t of_day = std::llabs(total) % kMillisecondsPerDay;
    CivilDateTime out;
    civil_from_days(days + kDayZero, out.year, out.month, out.day);
    out.hour = static_cast<int>(of_day / 3'600'000);
    out.minute = static_cast<int>(of_day / 60'000 % 60);
    out.second = static_cast<int>(of_day / 1'000 % 60);
    out.millisecond = static_cast<int>(of_day % 1'000);
    return out;
}

TDateTime local_date_time_from_file_time(const timespec& file_time) {
    const auto local = platform::local_time_of(static_cast<std::int64_t>(file_time.tv_sec));
    if (!local)
        return 0.0;
    CivilDateTime value;
    value.year = local->year;
    value.month = local->month;
    value.day = local->day;
    value.hour = local->hour;
    value.minute = local->minute;
    value.second = local->second > 59 ? 59 : local->second; // a leap second
    value.millisecond = static_cast<int>(file_time.tv_nsec / 1'000'000);
    return encode_date_time(value);
}

std::optional<timespec> file_time_from_local_date_time(TDateTime value) {
    const auto civil = decode_date_time(value);
    if (!civil)
        return std::nullopt;
    const auto seconds = platform::universal_time_of(
        {civil->year, civil->month, civil->day, civil->hour, civil->minute, civil->second});
    if (!seconds)
        return std::nullopt;
    timespec out{};
    out.tv_sec = static_cast<time_t>(*seconds);
    out.tv_nsec = static_cast<long>(civil->millisecond) * 1'000'000;
    return out;
}

} // namespace launcher
