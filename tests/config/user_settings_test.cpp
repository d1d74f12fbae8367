#include "config/player_choices.h"
#include "config/user_settings.h"
#include "config_fixtures.h"
#include "platform/files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::parse_config;

constexpr std::string_view kConfig = R"([config]
usercan_changelanguage=true
usercan_changeproxy=true
usercan_changedrivetype=true
usercan_changecheckmethod=true
usercan_changeautoclose=true
[gameproxys]
proxy=Europe|1.1.1.1|eu.ini
proxy=Asia|2.2.2.2|asia.ini
proxy=europe |3.3.3.3|eu2.ini
proxy=NoBar
[lang=1033:English]
[lang=1049:Russian]
)";

TEST(UserSettingsTest, MissingFileGivesDefaults) {
    testing::TempDir dir;
    const auto settings = LoadIniFile(dir / "Vantoria.ini", parse_config(kConfig));
    EXPECT_EQ(settings.LangConst, 0);
    EXPECT_FALSE(settings.AutoClose);
    EXPECT_EQ(settings.SelProxy, "auto");
    EXPECT_EQ(settings.DriveType, "HDD");
    EXPECT_EQ(settings.CheckMode, "Hard: MD5 Hash");
    EXPECT_EQ(settings.LangFolder, "default");
    EXPECT_EQ(settings.MainLeft, -1);
    EXPECT_EQ(settings.MainTop, -1);
    EXPECT_EQ(UserSettingsPath(dir.path()), dir / "Vantoria.ini");
}

TEST(UserSettingsTest, SaveThenLoadRoundTrips) {
    testing::TempDir dir;
    const auto config = parse_config(kConfig);
    UserSettings saved;
    saved.AutoClose = true;
    saved.SelProxy = "Asia";
    saved.DriveType = "SSD";
    saved.CheckMode = "Medium: Size & Date";
    saved.LangFolder = "ru";
    SaveIniFile(dir / "Vantoria.ini", saved, 120, -1, "Russian");
    EXPECT_EQ(platform::read_file_text(dir / "Vantoria.ini"),
              "Left = 120\r\nTop = -1\r\nLanguage = Russian\r\nAutoClose = True\r\n"
              "SelProxy = Asia\r\nDriveType = SSD\r\nCheckMode = Medium: Size & Date\r\n"
              "LangFolder = ru\r\n");

    auto loaded = LoadIniFile(dir / "Vantoria.ini", config);
    EXPECT_EQ(loaded.LangConst, 1049);
    EXPECT_TRUE(loaded.AutoClose);
    EXPECT_EQ(loaded.SelProxy, "asia"); // comes back lower-cased
    EXPECT_EQ(loaded.DriveType, "SSD");
    EXPECT_EQ(loaded.CheckMode, "Medium: Size & Date");
    EXPECT_EQ(loaded.LangFolder, "ru");
    EXPECT_EQ(loaded.MainLeft, 120);
    EXPECT_EQ(loaded.MainTop, -1);
    DeriveProxyIndex(loaded, config);
    EXPECT_EQ(loaded.ProxyIdx, 2);
}

TEST(UserSettingsTest, ValueRules) {
    testing::TempDir dir;
    dir.write("Vantoria.ini", "\xEF\xBB\xBF"
                              "junk line\r\n"
                              "Language = \r\n"
                              "AutoClose = 1\r\n"
                              "left = 12px\r\n"
                              "TOP=7\r\n"
                              "Top = 8\r\n"
                              "checkmode = light: previous list\r\n"
                              "unknown = x\r\n");
    const auto settings = LoadIniFile(dir / "Vantoria.ini", parse_config(kConfig));
    EXPECT_EQ(settings.LangConst, 1033); // empty name: the first section wins over the system
    EXPECT_FALSE(settings.AutoClose);
    EXPECT_EQ(settings.MainLeft, -1);
    EXPECT_EQ(settings.MainTop, 8); // later lines win
    EXPECT_EQ(settings.CheckMode, "light: previous list");

    dir.write("Vantoria.ini", "autoclose=TRUE\n");
    EXPECT_TRUE(LoadIniFile(dir / "Vantoria.ini", parse_config(kConfig)).AutoClose);
}

TEST(UserSettingsTest, RestrictionsReplaceForbiddenChoices) {
    auto config = parse_config("[config]\ndefaultautoclose=true\n");
    UserSettings settings;
    settings.SelProxy = "asia";
    settings.DriveType = "SSD";
    settings.CheckMode = "Light: Previous List";
    ApplyConfigRestrictions(settings, config);
    EXPECT_EQ(settings.SelProxy, "Auto");
    EXPECT_EQ(settings.DriveType, "HDD");
    EXPECT_EQ(settings.CheckMode, "Hard: MD5 Hash");
    EXPECT_TRUE(settings.AutoClose);
    DeriveProxyIndex(settings, config);
    EXPECT_EQ(settings.SelProxy, "auto");
    EXPECT_EQ(settings.ProxyIdx, 0);
}

struct ProxyCase {
    std::string sel_proxy;
    std::int32_t index;
};

class ProxyIndexTest : public ::testing::TestWithParam<ProxyCase> {};

TEST_P(ProxyIndexTest, LastMatchingEntryWins) {
    UserSettings settings;
    settings.SelProxy = GetParam().sel_proxy;
    DeriveProxyIndex(settings, parse_config(kConfig));
    EXPECT_EQ(settings.ProxyIdx, GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(Proxies, ProxyIndexTest,
                         ::testing::Values(ProxyCase{"europe", 3}, ProxyCase{" ASIA ", 2},
                                           ProxyCase{"auto", 0}, ProxyCase{"mars", 0},
                                           ProxyCase{"nobar", 0}));

TEST(UserSettingsTest, SavingIntoAMissingFolderFailsWithoutLeavingFiles) {
    testing::TempDir dir;
    EXPECT_THROW(SaveIniFile(dir / "missing" / "Vantoria.ini", UserSettings{}, 0, 0, "x"),
                 platform::FileError);
}

} // namespace
} // namespace launcher

namespace launcher {
namespace {

TEST(PlayerChoicesTest, SavedLanguageWinsOverTheSystemLanguage) {
    testing::TempDir dir;
    auto config = parse_config(kConfig);
    LanguageTable table;
    const auto fresh = LoadPlayerChoices(dir.path(), config, table, 1049);
    EXPECT_EQ(fresh.LangConst, 1049); // no file: the system's language, then its section's id
    EXPECT_EQ(config.LangName, "Russian");

    dir.write("Vantoria.ini", "Language = English\r\nSelProxy = asia\r\n");
    auto reloaded = parse_config(kConfig);
    const auto saved = LoadPlayerChoices(dir.path(), reloaded, table, 1049);
    EXPECT_EQ(saved.LangConst, 1033);
    EXPECT_EQ(reloaded.LangName, "English");
    EXPECT_EQ(saved.ProxyIdx, 2);
    EXPECT_EQ(UpdaterFolder("/games/realm"), std::filesystem::path("/games/realm/updater"));
}

} // namespace
} // namespace launcher
