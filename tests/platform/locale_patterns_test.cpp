#include "platform/locale_patterns.h"

#include <gtest/gtest.h>

namespace launcher::platform {
namespace {

struct PictureCase {
    const char* picture;
    const char* pattern;
};

class WindowsPictureTest : public ::testing::TestWithParam<PictureCase> {};

TEST_P(WindowsPictureTest, BecomesAStrftimePattern) {
    EXPECT_EQ(strftime_pattern_of_windows_picture(GetParam().picture), GetParam().pattern);
}

// The short date and time formats of common Windows locales.
INSTANTIATE_TEST_SUITE_P(
    Locales, WindowsPictureTest,
    ::testing::Values(PictureCase{"M/d/yyyy", "%m/%d/%Y"},      // en-US
                      PictureCase{"h:mm:ss tt", "%I:%M:%S %p"}, // en-US
                      PictureCase{"dd.MM.yyyy", "%d.%m.%Y"},    // de-DE, ru-RU
                      PictureCase{"H:mm:ss", "%H:%M:%S"},       // ru-RU
                      PictureCase{"yyyy-MM-dd", "%Y-%m-%d"},    // sv-SE
                      PictureCase{"dd/MM/yy", "%d/%m/%y"},      // en-GB, two-digit year
                      PictureCase{"d MMM yyyy", "%d %b %Y"},
                      PictureCase{"dddd, MMMM d", "%A, %B %d"},
                      PictureCase{"yyyy'年'M'月'd'日'", "%Y年%m月%d日"},
                      PictureCase{"HH'h'mm", "%Hh%M"}, PictureCase{"'It''s' H", "It's %H"},
                      PictureCase{"100%", "100%%"}, PictureCase{"gg yyyy", " %Y"}));

TEST(LocalePatternsTest, TheUserLocaleGivesADateAndATimePattern) {
    const DateTimePatterns patterns = user_date_time_patterns();
    EXPECT_NE(patterns.date.find('%'), std::string::npos) << patterns.date;
    EXPECT_NE(patterns.time.find('%'), std::string::npos) << patterns.time;
}

} // namespace
} // namespace launcher::platform
