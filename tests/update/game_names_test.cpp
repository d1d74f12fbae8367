#include "support/temp_dir.h"
#include "update/game_names.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

struct NameCase {
    const char* name;
    bool safe;
};

class GameNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(GameNameTest, StaysInsideTheGameFolder) {
    EXPECT_EQ(IsSafeGameName(GetParam().name), GetParam().safe) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, GameNameTest,
    ::testing::Values(NameCase{"\\b.txt", true}, NameCase{"\\system\\jux.ini", true},
                      NameCase{"\\a..b\\c", true}, NameCase{"\\.\\x", true},
                      NameCase{"\\..\\x", false}, NameCase{"\\a\\..\\..\\x", false},
                      NameCase{"\\a/../../x", false}, NameCase{"\\a\\..", false},
                      NameCase{"\\c:\\x", false}, NameCase{"c:\\x", false},
                      NameCase{"\\\\server\\share", false}, NameCase{"/etc/passwd", false},
                      NameCase{"x.txt", false}, NameCase{"\\", false}, NameCase{"", false},
                      NameCase{"\\folder\\", false}, NameCase{"\\a:stream", false}));

TEST(ResolveGamePathTest, FindsMixedCaseSpellings) {
    testing::TempDir dir;
    dir.write("System/Old.DLL", "x");
    EXPECT_EQ(ResolveGamePath(dir.path(), "\\system\\old.dll"), dir / "System/Old.DLL");
    EXPECT_EQ(ResolveGamePath(dir.path(), "\\System\\Old.DLL"), dir / "System/Old.DLL");
    EXPECT_EQ(ResolveGamePath(dir.path(), "\\none\\x"), dir / "none/x");
}

} // namespace
} // namespace launcher
