#include "catalogue/date_time.h"
#include "platform/file.h"
#include "support/temp_dir.h"
#include "support/time_zone.h"
#include "update/file_date_time.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

platform::FileStatus stat_of(const std::filesystem::path& path) {
    return platform::file_status(path).value_or(platform::FileStatus{});
}

constexpr TDateTime kWinter = 45000.25; // 15 March 2023, 06:00
constexpr TDateTime kSummer = 45122.4375;

struct MaskCase {
    int mask;
    int result;
    bool access;
    bool write;
};

class SetFileDateTimeTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(SetFileDateTimeTest, MaskPicksTheTimes) {
    testing::TempDir dir;
    const auto file = dir.write("a.txt", "a");
    const platform::FileStatus before = stat_of(file);
    const MaskCase& c = GetParam();
    EXPECT_EQ(SetFileDateTime(file, c.mask, kWinter), c.result);
    const platform::FileStatus after = stat_of(file);
    EXPECT_EQ(local_date_time_from_file_time(after.modified) == kWinter, c.write);
    EXPECT_EQ(local_date_time_from_file_time(after.accessed) == kWinter, c.access);
    if (!c.write) {
        EXPECT_EQ(after.modified.tv_sec, before.modified.tv_sec);
    }
}

INSTANTIATE_TEST_SUITE_P(Masks, SetFileDateTimeTest,
                         ::testing::Values(MaskCase{7, 1, true, true}, MaskCase{4, 1, false, true},
                                           MaskCase{2, 1, true, false},
                                           MaskCase{1, 1, false, false},
                                           MaskCase{0, 0, false, false},
                                           MaskCase{8, 0, false, false},
                                           MaskCase{0x107, 0x101, true, true}));

TEST(SetFileDateTimeZoneTest, SummerDatesReadBackUnchanged) {
    testing::CentralEuropeanTime zone;
    if (!zone.active())
        GTEST_SKIP() << "the system's time zone is not Central European";
    testing::TempDir dir;
    const auto file = dir.write("a.txt", "a");
    for (const TDateTime date : {kWinter, kSummer}) {
        ASSERT_EQ(SetFileDateTime(file, 7, date), 1);
        EXPECT_DOUBLE_EQ(local_date_time_from_file_time(stat_of(file).modified), date);
    }
}

TEST(SetFileDateTimeMissingTest, MissingFileChangesNothing) {
    testing::TempDir dir;
    EXPECT_EQ(SetFileDateTime(dir / "none", 7, kWinter), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "none"));
}

} // namespace
} // namespace launcher
