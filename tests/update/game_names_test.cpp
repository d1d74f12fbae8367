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
    // The same file, under the spelling it has (Windows finds any spelling).
    for (const char* name : {"\\system\\old.dll", "\\System\\Old.DLL"}) {
        const auto resolved = ResolveGamePath(dir.path(), name);
        EXPECT_TRUE(std::filesystem::exists(resolved)) << name;
#ifndef _WIN32
        EXPECT_EQ(resolved, dir / "System/Old.DLL") << name;
#endif
    }
    EXPECT_EQ(ResolveGamePath(dir.path(), "\\none\\x"), dir / "none/x");
}

TEST(PackedFileAddressTest, EveryByteOutsideTheUnreservedSetIsEncoded) {
    const std::pair<const char*, const char*> cases[] = {
        {"\\system\\jux.ini", "http://s/u/system/jux.ini.vdp"},
        {"\\my file.txt", "http://s/u/my%20file.txt.vdp"},
        {"\\a#b", "http://s/u/a%23b.vdp"},
        {"\\100%.dat", "http://s/u/100%25.dat.vdp"},
        {"\\why?.txt", "http://s/u/why%3F.txt.vdp"},
        {"\\a+b&c=d", "http://s/u/a%2Bb%26c%3Dd.vdp"},
        {"\\d\u00e9j\u00e0\\~_-.x", "http://s/u/d%C3%A9j%C3%A0/~_-.x.vdp"},
    };
    for (const auto& [name, address] : cases)
        EXPECT_EQ(PackedFileAddress("http://s/u/", name), address) << name;
}

TEST(RemovalGameNameTest, NamesWithoutALeadingBackslashAreBelowTheLauncherFolder) {
    EXPECT_EQ(RemovalGameName("system\\old.dll"), "\\system\\old.dll");
    EXPECT_EQ(RemovalGameName("\\system\\old.dll"), "\\system\\old.dll");
    for (const char* refused : {"", "/etc/passwd", "..\\x", "c:\\x", "\\a\\..\\..\\x"})
        EXPECT_EQ(RemovalGameName(refused), std::nullopt) << refused;
}

} // namespace
} // namespace launcher
