#include "catalogue/date_time.h"
#include "support/temp_dir.h"
#include "update/file_date_time.h"

#include <cstdlib>
#include <ctime>
#include <sys/stat.h>

#include <gtest/gtest.h>

namespace launcher {
namespace {

// Runs a test in a time zone with daylight-saving time.
class ZoneGuard {
public:
    explicit ZoneGuard(const char* zone) {
        if (const char* old = std::getenv("TZ"))
            old_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneGuard() {
        if (old_.empty())
            ::unsetenv("TZ");
        else
            ::setenv("TZ", old_.c_str(), 1);
        ::tzset();
    }

private:
    std::string old_;
};

struct stat stat_of(const std::filesystem::path& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info;
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
    const struct stat before = stat_of(file);
    const MaskCase& c = GetParam();
    EXPECT_EQ(SetFileDateTime(file, c.mask, kWinter), c.result);
    const struct stat after = stat_of(file);
    EXPECT_EQ(local_date_time_from_file_time(after.st_mtim) == kWinter, c.write);
    EXPECT_EQ(local_date_time_from_file_time(after.st_atim) == kWinter, c.access);
    if (!c.write) {
        EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
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
    ZoneGuard zone("Europe/Berlin");
    testing::TempDir dir;
    const auto file = dir.write("a.txt", "a");
    for (const TDateTime date : {kWinter, kSummer}) {
        ASSERT_EQ(SetFileDateTime(file, 7, date), 1);
        EXPECT_DOUBLE_EQ(local_date_time_from_file_time(stat_of(file).st_mtim), date);
    }
}

TEST(SetFileDateTimeMissingTest, MissingFileChangesNothing) {
    testing::TempDir dir;
    EXPECT_EQ(SetFileDateTime(dir / "none", 7, kWinter), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "none"));
}

} // namespace
} // namespace launcher
