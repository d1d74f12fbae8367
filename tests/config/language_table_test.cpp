#include "config_fixtures.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::parse_config;

constexpr std::string_view kLanguages = R"([config]
usercan_changelanguage=true
defaultlanguage=Russian
[lang=1033:English]
0=http://news.example/en
1=[Unpacking ]
15=No server answered
5=
6=[]
7=[
8=]
9=first
9=second
100=last entry
101=too far
-1=negative
just a line
x=not a number
[lang=1049:Russian]
1=Распаковка
[lang=2057]
1=from 2057
)";

TEST(LanguageTableTest, FillsEntriesByTheLineRules) {
    auto config = parse_config(kLanguages);
    LanguageTable table;
    table[5] = "kept";
    config.SetLanguageArray(1033, table);
    EXPECT_EQ(config.LangNum, 1033);
    EXPECT_EQ(config.LangName, "English");
    EXPECT_EQ(table[1], "Unpacking ");
    EXPECT_EQ(table[5], "kept"); // "5=" changes nothing
    EXPECT_EQ(table[6], "");
    EXPECT_EQ(table[7], "");
    EXPECT_EQ(table[8], "");
    EXPECT_EQ(table[9], "second");
    EXPECT_EQ(table[100], "last entry");
    EXPECT_EQ(table[15], "No server answered");
    // Lines without a number land in entry 0, after the news address.
    EXPECT_EQ(table[0], "not a number");
}

TEST(LanguageTableTest, SwitchingLanguagesKeepsEntriesTheNewOneLacks) {
    auto config = parse_config(kLanguages);
    LanguageTable table;
    config.SetLanguageArray(1033, table);
    config.SetLanguageArray(1049, table);
    EXPECT_EQ(config.LangName, "Russian");
    EXPECT_EQ(table[1], "Распаковка");
    EXPECT_EQ(table[15], "No server answered");
}

TEST(LanguageTableTest, UnknownIdTakesTheFirstSection) {
    auto config = parse_config(kLanguages);
    LanguageTable table;
    config.SetLanguageArray(1031, table);
    EXPECT_EQ(config.LangNum, 1033);
}

TEST(LanguageTableTest, ForbiddenChoiceFollowsTheDefaultLanguage) {
    auto config = parse_config(kLanguages);
    config.Config.UserCan_ChangeLanguage = false;
    LanguageTable table;
    config.SetLanguageArray(1033, table);
    EXPECT_EQ(config.LangName, "Russian");
}

TEST(LanguageTableTest, NoSectionsChangesNothing) {
    auto config = parse_config("[config]\ninstance=x\n");
    LanguageTable table;
    table[3] = "untouched";
    config.SetLanguageArray(1033, table);
    EXPECT_EQ(table[3], "untouched");
    EXPECT_EQ(config.LangNum, 0);
    EXPECT_EQ(config.LangName, "");
}

TEST(LanguageTableTest, HeaderWithBlankBeforeIdIsOnlyFoundByPositionOrName) {
    auto config = parse_config("[config]\nusercan_changelanguage=true\n"
                               "[lang= 1033:English]\n1=a\n[lang=1049:Russian]\n1=b\n");
    LanguageTable table;
    config.SetLanguageArray(1033, table); // " 1033" never equals "1033": first section by fallback
    EXPECT_EQ(table[1], "a");
    EXPECT_EQ(config.LangNum, 1033);
    EXPECT_EQ(config.GetLanguageIdByName("english"), 1033);
}

struct NameCase {
    std::string name;
    std::int32_t id;
};

class LanguageByNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(LanguageByNameTest, MatchesWhateverCaseAndBlanks) {
    const auto config = parse_config(kLanguages);
    EXPECT_EQ(config.GetLanguageIdByName(GetParam().name), GetParam().id);
}

INSTANTIATE_TEST_SUITE_P(Names, LanguageByNameTest,
                         ::testing::Values(NameCase{"Russian", 1049}, NameCase{"  rUSSIAN ", 1049},
                                           NameCase{"english", 1033}, NameCase{"Klingon", 1033},
                                           NameCase{"", 1033},
                                           // a section without an id gives 0, then the first id
                                           NameCase{"2057", 1033}));

TEST(LanguageTableTest, CyrillicNamesMatchCaseInsensitively) {
    const auto config = parse_config("[lang=1033:English]\n[lang=1049:Русский]\n");
    EXPECT_EQ(config.GetLanguageIdByName("РУССКИЙ"), 1049);
    EXPECT_EQ(tConfigData().GetLanguageIdByName("x"), 0);
}

} // namespace
} // namespace launcher
