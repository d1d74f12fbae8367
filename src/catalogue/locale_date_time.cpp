#include "catalogue/locale_date_time.h"

#include "platform/locale_patterns.h"

#include <cctype>
#include <chrono>
#include <string>
#include <vector>

namespace launcher {
namespace {

enum class Field { Day, Month, Year };

// Expands the composite conversions that locales use for dates and times.
std::string expand_pattern(std::string_view pattern) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 >= pattern.size()) {
            out.push_back(pattern[i]);
            continue;
        }
        std::size_t at = i + 1;
        while (at < pattern.size() &&
               (pattern[at] == 'E' || pattern[at] == 'O' || pattern[at] == '-' ||
                pattern[at] == '_' || pattern[at] == '0' || pattern[at] == '^' ||
                pattern[at] == '#'))
            ++at; // modifiers and flags
        if (at >= pattern.size())
            break;
        switch (pattern[at]) {
        case 'D':
            out += "%m/%d/%y";
            break;
        case 'F':
            out += "%Y-%m-%d";
            break;
        case 'T':
            out += "%H:%M:%S";
            break;
        case 'R':
            out += "%H:%M";
            break;
        case 'r':
            out += "%I:%M:%S %p";
            break;
        default:
            out.push_back('%');
            out.push_back(pattern[at]);
        }
        i = at;
    }
    return out;
}

std::optional<Field> field_of(char conversion) {
    switch (conversion) {
    case 'd':
    case 'e':
        return Field::Day;
    case 'm':
    case 'b':
    case 'B':
    case 'h':
        return Field::Month;
    case 'y':
    case 'Y':
    case 'C':
    case 'G':
    case 'g':
        return Field::Year;
    default:
        return std::nullopt;
    }
}

// The first character between two conversions that is neither a blank nor a
// letter: the separator of the numbers.
char first_separator(std::string_view pattern, char fallback) {
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%') {
            ++i;
            continue;
        }
        const auto c = static_cast<unsigned char>(pattern[i]);
        if (c > ' ' && c < 0x80 && !std::isalnum(c))
            return pattern[i];
    }
    return fallback;
}

class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    bool at_end() const { return pos_ >= text_.size(); }
    void skip_blanks() {
        while (pos_ < text_.size() && text_[pos_] == ' ')
            ++pos_;
    }
    bool scan_char(char c) {
        skip_blanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    // An unsigned decimal of at most 9 digits; `digits` tells how many it had.
    bool scan_number(int& value, int& digits) {
        skip_blanks();
        value = 0;
        digits = 0;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
            if (++digits > 9)
                return false;
            value = value * 10 + (text_[pos_] - '0');
            ++pos_;
        }
        return digits > 0;
    }
    bool scan_word(std::string_view word) {
        skip_blanks();
        if (text_.size() - pos_ < word.size())
            return false;
        for (std::size_t i = 0; i < word.size(); ++i)
            if (std::toupper(static_cast<unsigned char>(text_[pos_ + i])) != word[i])
                return false;
        pos_ += word.size();
        return true;
    }
    std::size_t position() const { return pos_; }
    void rewind(std::size_t pos) { pos_ = pos; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

int expand_year(int year, int digits, int current_year) {
    if (digits > 2)
        return year;
    const int threshold = current_year - 50;
    year += threshold / 100 * 100;
    if (year < threshold)
        year += 100;
    return year;
}

std::optional<CivilDateTime> scan_date(Scanner& in, const LocaleDateTimeFormat& format,
                                       int current_year) {
    int numbers[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int count = 0;
    if (!in.scan_number(numbers[0], digits[0]))
        return std::nullopt;
    count = 1;
    while (count < 3 && in.scan_char(format.date_separator)) {
        if (!in.scan_number(numbers[count], digits[count]))
            return std::nullopt;
        ++count;
    }
    if (count < 2)
        return std::nullopt;
    CivilDateTime out;
    int year_digits = 4;
    using Order = LocaleDateTimeFormat::Order;
    if (count == 2) {
        // Day and month only: the year is the current one.
        out.year = current_year;
        if (format.order == Order::DayMonthYear) {
            out.day = numbers[0];
            out.month = numbers[1];
        } else {
            out.month = numbers[0];
            out.day = numbers[1];
        }
    } else {
        switch (format.order) {
        case Order::DayMonthYear:
            out.day = numbers[0];
            out.month = numbers[1];
            out.year = numbers[2];
            year_digits = digits[2];
            break;
        case Order::MonthDayYear:
            out.month = numbers[0];
            out.day = numbers[1];
            out.year = numbers[2];
            year_digits = digits[2];
            break;
        case Order::YearMonthDay:
            out.year = numbers[0];
            year_digits = digits[0];
            out.month = numbers[1];
            out.day = numbers[2];
            break;
        }
        out.year = expand_year(out.year, year_digits, current_year);
    }
    // A trailing separator is tolerated ("11.04.2019." in some locales).
    in.scan_char(format.date_separator);
    if (!is_valid_date(out.year, out.month, out.day))
        return std::nullopt;
    return out;
}

// Hours and the rest of a time into `out`; false when it is not a time.
bool scan_time(Scanner& in, const LocaleDateTimeFormat& format, CivilDateTime& out) {
    int base_hour = -1;
    if (in.scan_word("AM"))
        base_hour = 0;
    else if (in.scan_word("PM"))
        base_hour = 12;
    int digits = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    if (!in.scan_number(hour, digits))
        return false;
    if (in.scan_char(format.time_separator)) {
        if (!in.scan_number(minute, digits))
            return false;
        if (in.scan_char(format.time_separator)) {
            if (!in.scan_number(second, digits))
                return false;
            if (in.scan_char('.') && !in.scan_number(millisecond, digits))
                return false;
        }
    }
    if (base_hour < 0) {
        if (in.scan_word("AM"))
            base_hour = 0;
        else if (in.scan_word("PM"))
            base_hour = 12;
    }
    if (base_hour >= 0) {
        if (hour == 0 || hour > 12)
            return false;
        hour = (hour == 12 ? 0 : hour) + base_hour;
    }
    if (!is_valid_time(hour, minute, second, millisecond))
        return false;
    out.hour = hour;
    out.minute = minute;
    out.second = second;
    out.millisecond = millisecond;
    return true;
}

int this_year() {
    const auto today = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
    return static_cast<int>(std::chrono::year_month_day(today).year());
}

} // namespace

LocaleDateTimeFormat LocaleDateTimeFormat::from_patterns(std::string_view date_pattern,
                                                         std::string_view time_pattern) {
    LocaleDateTimeFormat format;
    const std::string date = expand_pattern(date_pattern);
    std::vector<Field> fields;
    for (std::size_t i = 0; i + 1 < date.size(); ++i) {
        if (date[i] != '%')
            continue;
        std::size_t at = i + 1;
        while (at < date.size() && !std::isalpha(static_cast<unsigned char>(date[at])))
            ++at;
        if (at >= date.size())
            break;
        if (const auto field = field_of(date[at]))
            fields.push_back(*field);
        i = at;
    }
    if (fields.size() >= 2) {
        if (fields[0] == Field::Year)
            format.order = Order::YearMonthDay;
        else if (fields[0] == Field::Day)
            format.order = Order::DayMonthYear;
        else
            format.order = Order::MonthDayYear;
    }
    format.date_separator = first_separator(date, '/');
    format.time_separator = first_separator(expand_pattern(time_pattern), ':');
    return format;
}

LocaleDateTimeFormat LocaleDateTimeFormat::user_default() {
    const platform::DateTimePatterns patterns = platform::user_date_time_patterns();
    return from_patterns(patterns.date, patterns.time);
}

std::optional<TDateTime> parse_locale_date_time(std::string_view text,
                                                const LocaleDateTimeFormat& format,
                                                int current_year) {
    Scanner in(text);
    CivilDateTime value;
    if (const auto date = scan_date(in, format, current_year)) {
        value = *date;
        in.skip_blanks();
        if (!in.at_end() && !scan_time(in, format, value))
            return std::nullopt;
    } else {
        // Only a time: the date part is day 0.
        in.rewind(0);
        if (!scan_time(in, format, value))
            return std::nullopt;
    }
    in.skip_blanks();
    if (!in.at_end())
        return std::nullopt;
    return encode_date_time(value);
}

std::optional<TDateTime> parse_locale_date_time(std::string_view text,
                                                const LocaleDateTimeFormat& format) {
    return parse_locale_date_time(text, format, this_year());
}

} // namespace launcher
