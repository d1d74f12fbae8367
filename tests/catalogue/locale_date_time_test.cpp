#include "catalogue/locale_date_time.h"
#include "numbered_case.h"

#include <cstdlib>

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::NumberedCase;

using Order = LocaleDateTimeFormat::Order;

struct PatternCase {
    const char* date_pattern;
    const char* time_pattern;
    LocaleDateTimeFormat expected;
};

class LocalePatterns : public ::testing::TestWithParam<PatternCase> {};

TEST_P(LocalePatterns, GiveOrderAndSeparators) {
    EXPECT_EQ(LocaleDateTimeFormat::from_patterns(GetParam().date_pattern, GetParam().time_pattern),
              GetParam().expected);
}

// The patterns of C, de_DE / ru_RU, en_GB, ISO-style and Finnish locales.
INSTANTIATE_TEST_SUITE_P(
    Locales, LocalePatterns,
    ::testing::Values(PatternCase{"%m/%d/%y", "%H:%M:%S", {Order::MonthDayYear, '/', ':'}},
                      PatternCase{"%d.%m.%Y", "%T", {Order::DayMonthYear, '.', ':'}},
                      PatternCase{"%d/%m/%y", "%T", {Order::DayMonthYear, '/', ':'}},
                      PatternCase{"%F", "%R", {Order::YearMonthDay, '-', ':'}},
                      PatternCase{"%D", "%r", {Order::MonthDayYear, '/', ':'}},
                      PatternCase{"%-d.%-m.%Y", "%H.%M.%S", {Order::DayMonthYear, '.', '.'}}),
    NumberedCase);

struct ParseCase {
    const char* text;
    LocaleDateTimeFormat format;
    CivilDateTime expected;
};

class LocaleDates : public ::testing::TestWithParam<ParseCase> {};

TEST_P(LocaleDates, Parse) {
    const auto value = parse_locale_date_time(GetParam().text, GetParam().format, 2024);
    ASSERT_TRUE(value) << GetParam().text;
    EXPECT_EQ(*value, encode_date_time(GetParam().expected)) << GetParam().text;
}

const LocaleDateTimeFormat kGerman{Order::DayMonthYear, '.', ':'};
const LocaleDateTimeFormat kUs{Order::MonthDayYear, '/', ':'};
const LocaleDateTimeFormat kIso{Order::YearMonthDay, '-', ':'};

INSTANTIATE_TEST_SUITE_P(
    Texts, LocaleDates,
    ::testing::Values(ParseCase{"11.04.2019 18:30:00", kGerman, {2019, 4, 11, 18, 30, 0, 0}},
                      ParseCase{"04/11/2019 18:30:00", kUs, {2019, 4, 11, 18, 30, 0, 0}},
                      ParseCase{"2019-04-11 18:30", kIso, {2019, 4, 11, 18, 30, 0, 0}},
                      ParseCase{"4/11/19 6:30:15 PM", kUs, {2019, 4, 11, 18, 30, 15, 0}},
                      ParseCase{"4/11/19 12:05 AM", kUs, {2019, 4, 11, 0, 5, 0, 0}},
                      ParseCase{"11.04.85 07:00:00.250", kGerman, {1985, 4, 11, 7, 0, 0, 250}},
                      ParseCase{"11.04 18", kGerman, {2024, 4, 11, 18, 0, 0, 0}},
                      ParseCase{" 11.04.2019   18:30:00 ", kGerman, {2019, 4, 11, 18, 30, 0, 0}},
                      ParseCase{"11.04.2019", kGerman, {2019, 4, 11, 0, 0, 0, 0}},
                      ParseCase{"18:30 ", kGerman, {1899, 12, 30, 18, 30, 0, 0}}),
    NumberedCase);

TEST(LocaleDates, RejectsWhatIsNoDateAndTime) {
    for (const char* text : {"", "abc def", "32.01.2019 10:00", "11.04.2019 25:00", "11.04.2019 x",
                             "11.04.2019 10:00 junk", "11/04/2019 10:00", "11.04.2019 13:00 PM",
                             "11.04.2019 10:", "1234567890.1.2019 10:00"})
        EXPECT_FALSE(parse_locale_date_time(text, kGerman, 2024)) << text;
}

TEST(LocaleDates, UserDefaultFollowsTheEnvironmentOrFallsBackToC) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows takes the user's formats from the system, not from LC_ALL";
#else
    // Only the C locale is sure to be installed; an unknown one falls back to it.
    const char* old = std::getenv("LC_ALL");
    const std::string saved = old ? old : "";
    ::setenv("LC_ALL", "xx_NOWHERE.UTF-8", 1);
    const LocaleDateTimeFormat format = LocaleDateTimeFormat::user_default();
    if (old)
        ::setenv("LC_ALL", saved.c_str(), 1);
    else
        ::unsetenv("LC_ALL");
    EXPECT_EQ(format, (LocaleDateTimeFormat{Order::MonthDayYear, '/', ':'}));
#endif
}

} // namespace
} // namespace launcher
