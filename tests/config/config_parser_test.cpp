#include "config_fixtures.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::parse_config;
using testing::stream_of;

TEST(ConfigParserTest, EveryKeyReachesItsField) {
    const auto config = parse_config(R"([Config]
Instance = My Game
TrayHint=[ hint ]
DefaultLanguage=English
UserCan_ChangeLanguage=true
DefaultAutoClose=TRUE
UserCan_ChangeAutoClose=True
UserCan_ChangeProxy=yes
UserCan_ChangeDriveType=1
UserCan_ChangeCheckMethod= true
language_folder=default;system|ru;system_ru
Jobs=[3]
[MainWindow]
caption=Welcome
fadeeffect=true
[SettingWindow]
FadeEffect=true
[UpdateServers]
UsePing=true
RandomSelect=false
url=[ http://a.example/ ]
url = http://b.example/
publickey=ed25519:first
PublicKey = ed25519:second
[GameProxys]
UseProxy=true
Port=[5816]
proxy=Europe|1.2.3.4|eu.ini
)");
    EXPECT_EQ(config.Config.Instance, "My Game");
    EXPECT_EQ(config.Config.TrayHint, " hint ");
    EXPECT_EQ(config.Config.DefaultLanguage, "English");
    EXPECT_TRUE(config.Config.UserCan_ChangeLanguage);
    EXPECT_TRUE(config.Config.DefaultAutoClose);
    EXPECT_TRUE(config.Config.UserCan_ChangeAutoClose);
    EXPECT_FALSE(config.Config.UserCan_ChangeProxy);
    EXPECT_FALSE(config.Config.UserCan_ChangeDriveType);
    EXPECT_TRUE(config.Config.UserCan_ChangeCheckMethod);
    EXPECT_EQ(config.Config.LangFolder, "default;system|ru;system_ru");
    EXPECT_EQ(config.Config.Jobs, 3);
    EXPECT_EQ(config.MainWindow.Caption, "Welcome");
    EXPECT_TRUE(config.MainWindow.FadeEffect);
    EXPECT_TRUE(config.SettingsWindow.FadeEffect);
    EXPECT_TRUE(config.UpdateServers.UsePing);
    EXPECT_FALSE(config.UpdateServers.RandomSelect);
    EXPECT_EQ(config.UpdateServers.Servers,
              (std::vector<std::string>{"http://a.example/", "http://b.example/"}));
    EXPECT_EQ(config.UpdateServers.PublicKeys,
              (std::vector<std::string>{"ed25519:first", "ed25519:second"}));
    EXPECT_TRUE(config.ProxyServers.UseProxy);
    EXPECT_EQ(config.ProxyServers.Port, 5816);
    EXPECT_EQ(config.ProxyServers.Servers, (std::vector<std::string>{"Europe|1.2.3.4|eu.ini"}));
}

TEST(ConfigParserTest, BracketRuleAndNumbers) {
    const auto config = parse_config("[config]\ninstance=[\ntrayhint=x]\ncaption=y\n"
                                     "[gameproxys]\nport=abc\n[mainwindow]\ncaption=[ a ] ]\n");
    EXPECT_EQ(config.Config.Instance, "");         // a single "[" is empty
    EXPECT_EQ(config.Config.TrayHint, "x]");       // no opening bracket: kept
    EXPECT_EQ(config.ProxyServers.Port, 0);        // not a number
    EXPECT_EQ(config.MainWindow.Caption, " a ] "); // only the last "]" goes
}

TEST(ConfigParserTest, LinesOutsideKnownSectionsAndRepeatedKeys) {
    const auto config = parse_config("instance=before any header\n[other]\ninstance=x\n"
                                     "[config]\ninstance=first\nno equals sign\n"
                                     "[config=ignored text]\ninstance=last\n1=not language\n");
    EXPECT_EQ(config.Config.Instance, "last");
    EXPECT_TRUE(config.LanguageCollection.List.empty());
}

TEST(ConfigParserTest, LanguageHeaders) {
    const auto config = parse_config("[lang=1033:English]\n1=Unpacking \n 2 = [Hashing ]\n"
                                     "[lang=1049:Русский]\n1=Распаковка\n"
                                     "[lang=2057]\n[lang]\n[LANG= 1036:Français]x\n");
    const auto& list = config.LanguageCollection.List;
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0].text, "1033");
    EXPECT_EQ(list[0].object->Item, "English");
    EXPECT_EQ(list[0].object->List.size(), 2u);
    EXPECT_EQ(list[0].object->List[1].text, "2 = [Hashing ]"); // the trimmed line as written
    EXPECT_EQ(list[1].object->Item, "Русский");
    EXPECT_EQ(list[2].text, "");
    EXPECT_EQ(list[2].object->Item, "2057");
    EXPECT_EQ(list[3].text, "");
    EXPECT_EQ(list[3].object->Item, "");
    EXPECT_EQ(list[4].text, " 1036");
    EXPECT_EQ(list[4].object->Item, "Français");
}

TEST(ConfigParserTest, LanguageLinesBeforeAnyLanguageHeaderAreDropped) {
    // "[lang" without "=" or "]" has an empty name, so it opens no section.
    const auto config = parse_config("[lang\n1=x\n");
    EXPECT_TRUE(config.LanguageCollection.List.empty());
}

struct EncodingCase {
    std::string name;
    std::string bytes;
};

class ConfigEncodingTest : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(ConfigEncodingTest, ByteOrderMarksSelectTheEncoding) {
    const auto config = parse_config(GetParam().bytes);
    EXPECT_EQ(config.Config.Instance, "Ж");
}

std::string utf16(std::u16string_view text, bool big_endian) {
    std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        out += big_endian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, ConfigEncodingTest,
    ::testing::Values(EncodingCase{"utf8_bom", "\xEF\xBB\xBF[config]\r\ninstance=Ж\r\n"},
                      EncodingCase{"no_bom", "[config]\rinstance=Ж\r"},
                      EncodingCase{"utf16le", utf16(u"[config]\r\ninstance=Ж\r\n", false)},
                      EncodingCase{"utf16be", utf16(u"[config]\ninstance=Ж\n", true)}),
    [](const auto& test_info) { return test_info.param.name; });

TEST(ConfigParserTest, ResultSaysWhetherTheTextHadLinesAndANulEndsIt) {
    tConfigData config;
    auto empty = stream_of("");
    EXPECT_FALSE(config.ParseConfig(empty));
    auto with_nul = stream_of(std::string("[config]\ninstance=a\n\0instance=b\n", 32));
    EXPECT_TRUE(config.ParseConfig(with_nul));
    EXPECT_EQ(config.Config.Instance, "a");
}

TEST(ConfigParserTest, ReadsFromTheStreamPosition) {
    tConfigData config;
    auto stream = stream_of("instance=skipped\n[config]\ninstance=read\n");
    stream.seek(17);
    config.ParseConfig(stream);
    EXPECT_EQ(config.Config.Instance, "read");
}

} // namespace
} // namespace launcher
