// The main window's settings button: placing and opening the settings
// dialog, and taking the player's choices back when it closes.
#include "config/language_table.h"
#include "support/tcp_listener.h"
#include "window_fixture.h"

namespace launcher::front {
namespace {

using namespace std::chrono_literals;
using Control = SettingsControl;

constexpr const char* kChosenProxyUnavailable = "The chosen game proxy could not be reached";

// Game proxies in use. The proxy probe waits on the loop's virtual clock: a
// probe nobody answers ends at its time limit at once.
class SettingsExchangeTest : public WindowFixture {
protected:
    SettingsExchangeTest() { config().ProxyServers.UseProxy = true; }

    void use_proxies(std::uint16_t port, std::vector<std::string> entries) {
        config().ProxyServers.Port = port;
        config().ProxyServers.Servers = std::move(entries);
    }
};

struct Placement {
    Rect main_window;
    Point expected;
};

class SettingsPlacementTest : public SettingsExchangeTest,
                              public ::testing::WithParamInterface<Placement> {};

// Sixty pixels left of and above the place that centres the designed
// 520 x 360 dialog; odd halves are rounded toward zero.
TEST_P(SettingsPlacementTest, OpensOverTheMainWindow) {
    build();
    main_surface.frame = GetParam().main_window;
    open_settings();
    ASSERT_EQ(main_surface.settings_openings.size(), 1u);
    EXPECT_EQ(main_surface.settings_openings[0], GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Windows, SettingsPlacementTest,
                         ::testing::Values(Placement{{0, 0, 800, 600}, {80, 60}},
                                           Placement{{0, 0, 801, 601}, {80, 60}},
                                           Placement{{100, 50, 900, 650}, {180, 110}},
                                           Placement{{-50, -30, 51, 69}, {-320, -221}},
                                           Placement{{10, 20, 310, 220}, {-160, -120}}));

TEST_F(SettingsExchangeTest, WithoutADialogTheButtonDoesNothing) {
    build();
    main_surface.settings_dialog = {};
    open_settings();
    EXPECT_EQ(main_surface.settings_openings.size(), 1u);
    EXPECT_EQ(main_surface.news_detaches, 0);
}

// The take-back processes events (the proxy probe): a click then must not
// open the dialog over choices not yet taken back, and closing the launcher
// meanwhile takes nothing back.
TEST_F(SettingsExchangeTest, ASecondClickOrAClosingWhileOpenIsHandled) {
    build();
    main->settings().AutoClose = false;
    open_settings([this](RecordingSettingsSurface& dialog) {
        main->Button_ConfigClick();
        dialog.SetChecked(true);
        main->Button_CloseClick();
    });
    EXPECT_EQ(main_surface.settings_openings.size(), 1u);
    EXPECT_FALSE(main->settings().AutoClose);
    open_settings();
    EXPECT_EQ(main_surface.settings_openings.size(), 1u);
}

TEST_F(SettingsExchangeTest, AutoCloseIsTakenBack) {
    build();
    main->settings().AutoClose = false;
    open_settings([](RecordingSettingsSurface& dialog) { dialog.SetChecked(true); });
    EXPECT_TRUE(main->settings().AutoClose);
}

TEST_F(SettingsExchangeTest, DisabledChoicesLeaveTheMainWindowValuesButTheProxyBecomesAuto) {
    tConfigRecord& can = config().Config;
    can.UserCan_ChangeAutoClose = false;
    can.UserCan_ChangeProxy = false;
    can.UserCan_ChangeDriveType = false;
    can.UserCan_ChangeCheckMethod = false;
    can.DefaultAutoClose = false;
    use_proxies(1, {"one|127.0.0.2|a.ini", "two|127.0.0.3|b.ini"});
    build();
    UserSettings& values = main->settings();
    values.AutoClose = true;
    values.SelProxy = "two";
    values.DriveType = "SSD";
    values.CheckMode = "Light: Previous List";
    open_settings([](RecordingSettingsSurface& dialog) {
        EXPECT_EQ(dialog.controls[Control::Box_Proxy].items, std::vector<std::string>{"Auto"});
        EXPECT_FALSE(dialog.Enabled(Control::Box_Proxy));
    });
    EXPECT_TRUE(values.AutoClose);
    EXPECT_EQ(values.SelProxy, "Auto");
    EXPECT_EQ(values.DriveType, "SSD");
    EXPECT_EQ(values.CheckMode, "Light: Previous List");
}

TEST_F(SettingsExchangeTest, LastProxyOfTheListIsProbedAloneAndBecomesTheProxyLine) {
    testing::TcpListener last("127.0.0.7", 0);
    use_proxies(last.port(),
                {"first|127.0.0.2|a.ini", "second|127.0.0.3|b.ini", " last |127.0.0.7|c.ini"});
    build();
    main->workflow().ProxyLine = "first|127.0.0.2|a.ini";
    open_settings([](RecordingSettingsSurface& dialog) { dialog.Select(Control::Box_Proxy, 3); });
    EXPECT_EQ(main->workflow().ProxyLine, " last |127.0.0.7|c.ini");
    EXPECT_EQ(main->settings().SelProxy, "last");
    // The chosen entry's place stays for a probe of the workflow still to come.
    EXPECT_EQ(main->settings().ProxyIdx, 3);
    EXPECT_TRUE(main_surface.messages.empty());
}

TEST_F(SettingsExchangeTest, ClosingWithoutChangesProbesTheSelectedProxyAgain) {
    testing::TcpListener chosen("127.0.0.6", 0);
    use_proxies(chosen.port(), {"one|127.0.0.2|a.ini", "two|127.0.0.6|b.ini"});
    build();
    main->settings().SelProxy = "TWO";
    open_settings();
    EXPECT_EQ(main->workflow().ProxyLine, "two|127.0.0.6|b.ini");
    EXPECT_EQ(main->settings().SelProxy, "two"); // in the spelling of the list
    EXPECT_EQ(main->settings().ProxyIdx, 2);
}

TEST_F(SettingsExchangeTest, ChosenProxyNotAnsweringIsReportedAndKeepsTheProxyLine) {
    clock.set_auto_advance(true, 5ms);
    testing::TcpListener elsewhere("127.0.0.9", 0); // only to find a free port
    use_proxies(elsewhere.port(), {"one|127.0.0.2|a.ini", "two|127.0.0.3|b.ini"});
    build();
    main->workflow().ProxyLine = "one|127.0.0.2|a.ini";
    const auto start = clock.now();
    open_settings([](RecordingSettingsSurface& dialog) { dialog.Select(Control::Box_Proxy, 2); });
    EXPECT_EQ(clock.now() - start, 5000ms); // the probe's whole time limit
    EXPECT_EQ(main->workflow().ProxyLine, "one|127.0.0.2|a.ini");
    EXPECT_EQ(main->settings().SelProxy, "two");
    EXPECT_EQ(main_surface.messages, std::vector<std::string>{kChosenProxyUnavailable});
    EXPECT_EQ(main_surface.status, kChosenProxyUnavailable);
}

TEST_F(SettingsExchangeTest, AutoIsTakenBackWithoutAProbe) {
    use_proxies(1, {"one|127.0.0.2|a.ini"});
    build();
    main->settings().SelProxy = "one";
    main->workflow().ProxyLine = "one|127.0.0.2|a.ini";
    const auto start = clock.now();
    open_settings([](RecordingSettingsSurface& dialog) { dialog.Select(Control::Box_Proxy, 0); });
    EXPECT_EQ(clock.now(), start);
    EXPECT_EQ(main->settings().SelProxy, "Auto");
    EXPECT_EQ(main->settings().ProxyIdx, 0);
    EXPECT_EQ(main->workflow().ProxyLine, "one|127.0.0.2|a.ini");
}

struct DriveTypeCase {
    const char* main_value;
    const char* taken_back;
};

class DriveTypeExchangeTest : public SettingsExchangeTest,
                              public ::testing::WithParamInterface<DriveTypeCase> {};

TEST_P(DriveTypeExchangeTest, OnlyHddInAnyCaseStaysHdd) {
    build();
    main->settings().DriveType = GetParam().main_value;
    open_settings();
    EXPECT_EQ(main->settings().DriveType, GetParam().taken_back);
}

INSTANTIATE_TEST_SUITE_P(DriveTypes, DriveTypeExchangeTest,
                         ::testing::Values(DriveTypeCase{"hdd", "HDD"}, DriveTypeCase{"HdD", "HDD"},
                                           DriveTypeCase{"ssd", "SSD"}, DriveTypeCase{"", "SSD"},
                                           DriveTypeCase{"floppy", "SSD"}));

TEST_F(SettingsExchangeTest, UnknownCheckModeWritesThePreviousSelectionBack) {
    build();
    main->settings().CheckMode = "medium: size & date";
    open_settings();
    EXPECT_EQ(main->settings().CheckMode, "Medium: Size & Date");
    main->settings().CheckMode = "Thorough";
    open_settings([](RecordingSettingsSurface& dialog) {
        EXPECT_EQ(dialog.selected_text(Control::Box_CheckType), "Medium: Size & Date");
    });
    EXPECT_EQ(main->settings().CheckMode, "Medium: Size & Date");
}

// A picked language is in force in the dialog at once; of the main window
// only the language caption follows, and the news page of the new language
// is loaded.
TEST_F(SettingsExchangeTest, PickedLanguageRelabelsTheDialogAndTheLanguageCaption) {
    build();
    LanguageStrings()[0] = "http://news.example/en/";
    main->FormShow();
    ASSERT_EQ(main_surface.start_hint, "Start the game");
    open_settings([this](RecordingSettingsSurface& dialog) {
        dialog.Select(Control::Box_Language, 1);
        dialog_presenter->Box_LanguageChange();
        EXPECT_EQ(dialog.caption(SettingsCaption::Title), "Настройки");
        LanguageStrings()[0] = "http://news.example/ru/";
    });
    EXPECT_EQ(main->settings().LangConst, 1049);
    EXPECT_EQ(main_surface.start_hint, "Start the game");
    EXPECT_EQ(main_surface.language_description, "Язык");
    EXPECT_EQ(main_surface.news_detaches, 1);
    EXPECT_EQ(main_surface.navigations,
              (std::vector<std::string>{"http://news.example/en/", "http://news.example/ru/"}));
    // The same address again is not reloaded.
    open_settings();
    EXPECT_EQ(main_surface.navigations.size(), 2u);
}

// The status lines on screen change with the language when the dialog
// closes; what follows an entry (a percentage) is kept.
TEST_F(SettingsExchangeTest, PickedLanguageRewritesTheStatusLinesAtOnce) {
    config().ProxyServers.UseProxy = false; // the workflow runs without a proxy probe
    build();
    LanguageStrings()[0].clear();
    main->FormShow();
    pass(1000ms);
    ASSERT_EQ(main_surface.status, "No update server answered");
    main->view().SetTotalStatus(LanguageStrings()[24] + "42%");
    open_settings([this](RecordingSettingsSurface& dialog) {
        dialog.Select(Control::Box_Language, 1);
        dialog_presenter->Box_LanguageChange();
    });
    EXPECT_NE(main_surface.status, "No update server answered");
    EXPECT_EQ(main_surface.status, LanguageStrings()[15]);
    EXPECT_EQ(main_surface.total_status, LanguageStrings()[24] + "42%");
}

TEST_F(SettingsExchangeTest, ReopeningShowsTheLanguagePickedBefore) {
    build();
    open_settings([this](RecordingSettingsSurface& dialog) {
        dialog.Select(Control::Box_Language, 1);
        dialog_presenter->Box_LanguageChange();
    });
    open_settings([](RecordingSettingsSurface& dialog) {
        EXPECT_EQ(dialog.selected_text(Control::Box_Language), "Русский");
        EXPECT_EQ(dialog.caption(SettingsCaption::Proxy), "Игровой прокси");
    });
}

} // namespace
} // namespace launcher::front
