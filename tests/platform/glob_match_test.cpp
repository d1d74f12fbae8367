#include "platform/glob_match.h"

#include <gtest/gtest.h>

namespace launcher::platform {
namespace {

struct GlobCase {
    const char* pattern;
    const char* text;
    bool matches;
};

// What fnmatch(3) without flags answers; on POSIX systems glob_match is
// fnmatch itself, so this table also checks the written-out matcher that
// Windows uses against it.
constexpr GlobCase kCases[] = {
    {"*.log", "debug.log", true},
    {"*.log", "logs/debug.log", true}, // "*" crosses "/"
    {"*.log", "debug.log.old", false},
    {"logs/*", "logs/a/b.txt", true},
    {"?.txt", "a.txt", true},
    {"?.txt", "ab.txt", false},
    {"*", "", true},
    {"", "", true},
    {"", "a", false},
    {"a*b*c", "aXXbYYc", true},
    {"a*b*c", "aXXbYY", false},
    {"*a*a*a", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", false},
    {"[abc].dat", "b.dat", true},
    {"[abc].dat", "d.dat", false},
    {"[a-c]x", "bx", true},
    {"[!a-c]x", "bx", false},
    {"[^a-c]x", "dx", true},
    {"[]]", "]", true},
    {"[!]]", "a", true},
    {"[a-]", "-", true},
    {"[[:digit:]]*", "7up", true},
    {"[[:digit:]]*", "up", false},
    {"[", "[", true}, // an unclosed set stands for itself
    {"[ab", "[ab", true},
    {"\\*", "*", true},
    {"\\*", "a", false},
    {"a\\?c", "a?c", true},
    {"a\\?c", "abc", false},
    {".*", ".hidden", true},
    {"*.LOG", "debug.log", false}, // letter case counts
    {"sy?tem/*.ini", "system/jux.ini", true},
};

class GlobMatchTest : public ::testing::TestWithParam<GlobCase> {};

TEST_P(GlobMatchTest, MatchesAsFnmatchDoes) {
    const GlobCase& c = GetParam();
    EXPECT_EQ(glob_match(c.pattern, c.text), c.matches) << c.pattern << " / " << c.text;
    EXPECT_EQ(match_glob_pattern(c.pattern, c.text), c.matches) << c.pattern << " / " << c.text;
}

INSTANTIATE_TEST_SUITE_P(Cases, GlobMatchTest, ::testing::ValuesIn(kCases));

} // namespace
} // namespace launcher::platform
