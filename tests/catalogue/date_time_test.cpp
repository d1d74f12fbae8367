#include "catalogue/date_time.h"
#include "support/time_zone.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

constexpr const char* kNotCentralEurope =
    "the system's time zone is not Central European time (Windows tests change no zone)";

TEST(DateTime, EncodesDayCountsAndTimes) {
    EXPECT_EQ(encode_date_time({1899, 12, 30, 0, 0, 0, 0}), 0.0);
    EXPECT_EQ(encode_date_time({1899, 12, 31, 6, 0, 0, 0}), 1.25);
    EXPECT_EQ(encode_date_time({1899, 12, 29, 6, 0, 0, 0}), -1.25);
    EXPECT_EQ(encode_date_time({1900, 1, 1, 0, 0, 0, 0}), 2.0);
    EXPECT_EQ(encode_date_time({2019, 4, 11, 18, 30, 0, 0}), 43566.770833333336);
}

TEST(DateTime, DecodesToTheMillisecond) {
    for (const CivilDateTime& value :
         {CivilDateTime{2019, 4, 11, 18, 30, 0, 0}, CivilDateTime{1899, 12, 29, 6, 0, 0, 0},
          CivilDateTime{2000, 2, 29, 23, 59, 59, 999}, CivilDateTime{1, 1, 1, 0, 0, 0, 1},
          CivilDateTime{9999, 12, 31, 12, 0, 0, 0}}) {
        const auto back = decode_date_time(encode_date_time(value));
        ASSERT_TRUE(back);
        EXPECT_EQ(back->year, value.year);
        EXPECT_EQ(back->month, value.month);
        EXPECT_EQ(back->day, value.day);
        EXPECT_EQ(back->hour, value.hour);
        EXPECT_EQ(back->minute, value.minute);
        EXPECT_EQ(back->second, value.second);
        EXPECT_EQ(back->millisecond, value.millisecond);
    }
    EXPECT_FALSE(decode_date_time(1e300));
    EXPECT_FALSE(decode_date_time(-1e9));
}

TEST(DateTime, ValidatesCalendarDates) {
    EXPECT_TRUE(is_valid_date(2000, 2, 29));
    EXPECT_FALSE(is_valid_date(1900, 2, 29));
    EXPECT_FALSE(is_valid_date(2019, 4, 31));
    EXPECT_FALSE(is_valid_date(0, 1, 1));
    EXPECT_FALSE(is_valid_date(2019, 13, 1));
    EXPECT_FALSE(is_valid_time(24, 0, 0, 0));
    EXPECT_TRUE(is_valid_time(23, 59, 59, 999));
}

TEST(DateTime, FileTimesUseTheZoneRulesInForceAtThatDate) {
    const testing::CentralEuropeanTime zone;
    if (!zone.active())
        GTEST_SKIP() << kNotCentralEurope;
    // 15 January 2021 12:00 UTC is 13:00 standard time; 15 July 2021 12:00 UTC
    // is 14:00 daylight-saving time, whatever the season of today.
    const timespec winter{1610712000, 250'000'000};
    const timespec summer{1626350400, 0};
    EXPECT_EQ(local_date_time_from_file_time(winter),
              encode_date_time({2021, 1, 15, 13, 0, 0, 250}));
    EXPECT_EQ(local_date_time_from_file_time(summer), encode_date_time({2021, 7, 15, 14, 0, 0, 0}));
}

TEST(DateTime, LocalDatesRoundTripToFileTimesAcrossDaylightSaving) {
    const testing::CentralEuropeanTime zone;
    if (!zone.active())
        GTEST_SKIP() << kNotCentralEurope;
    for (const time_t seconds : {time_t{1610712000}, time_t{1626350400}, time_t{0}}) {
        const timespec file_time{seconds, 123'000'000};
        const auto back = file_time_from_local_date_time(local_date_time_from_file_time(file_time));
        ASSERT_TRUE(back);
        EXPECT_EQ(back->tv_sec, file_time.tv_sec);
        EXPECT_EQ(back->tv_nsec, file_time.tv_nsec);
    }
    EXPECT_FALSE(file_time_from_local_date_time(1e300));
}

} // namespace
} // namespace launcher
