#pragma once

#include "catalogue/date_time.h"

#include <optional>
#include <stdexcept>
#include <string_view>

namespace launcher {

// Raised when a text that must hold a date and time does not.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How the user's locale writes a short date and a time: the order of day,
// month and year and the separators between their numbers.
struct LocaleDateTimeFormat {
    enum class Order { DayMonthYear, MonthDayYear, YearMonthDay };

    Order order = Order::MonthDayYear;
    char date_separator = '/';
    char time_separator = ':';

    // From strftime-style patterns such as the locale's D_FMT ("%d.%m.%Y") and
    // T_FMT ("%H:%M:%S").
    static LocaleDateTimeFormat from_patterns(std::string_view date_pattern,
                                              std::string_view time_pattern);

    // The formats of the user's locale (see platform::user_date_time_patterns).
    static LocaleDateTimeFormat user_default();

    bool operator==(const LocaleDateTimeFormat&) const = default;
};

// Reads "date time", "date" or "time" in the given format: the date as two
// or three numbers (a missing year is the current one; a year of one or two
// digits lies within 50 years of `current_year`), the time as hours with
// optional minutes, seconds and milliseconds ("18:30:00.250") and an optional
// AM or PM. None when the text is not a valid date and time.
std::optional<TDateTime>
parse_locale_date_time(std::string_view text, const LocaleDateTimeFormat& format, int current_year);
std::optional<TDateTime> parse_locale_date_time(std::string_view text,
                                                const LocaleDateTimeFormat& format);

} // namespace launcher
