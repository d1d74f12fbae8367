// What the settings dialog does on its openings, its timer and the player's
// picks, whichever toolkit draws it.
#include "../app/default_startup.h"
#include "config/config_data.h"
#include "config/language_table.h"
#include "config/user_settings.h"
#include "front/settings_presenter.h"
#include "platform/plain_event_loop.h"
#include "recording_surfaces.h"

#include <memory>

#include <gtest/gtest.h>

namespace launcher::front {
namespace {

using namespace std::chrono_literals;
using Control = SettingsControl;

constexpr std::int32_t kEnglish = 1033;
constexpr std::int32_t kRussian = 1049;

// The dialog alone, on the built-in package. Tests change the configuration
// or the main window's values before dialog() builds it.
class SettingsPresenterTest : public ::testing::Test {
protected:
    void SetUp() override { config().SetLanguageArray(kEnglish, LanguageStrings()); }

    tConfigData& config() { return *startup.state.ConfigData; }

    SettingsPresenter& dialog() {
        if (!presenter)
            presenter = std::make_unique<SettingsPresenter>(loop, surface, config(), values);
        return *presenter;
    }
    void open() { dialog().FormShow(); }
    void close() { dialog().FormHide(); }
    const RecordingSettingsSurface::Control& control(Control which) {
        return surface.controls[which];
    }
    std::string shown(Control list) { return surface.selected_text(list); }
    void pick_language(int index) {
        surface.Select(Control::Box_Language, index);
        dialog().Box_LanguageChange();
    }
    // One tick of the unrolling timer.
    void tick() {
        clock.advance(SettingsPresenter::kFadeInterval);
        loop.process_pending(0ms);
    }

    app::DefaultStartup startup;
    platform::ManualClock clock;
    platform::PlainEventLoop loop{clock};
    UserSettings values;
    RecordingSettingsSurface surface;
    std::unique_ptr<SettingsPresenter> presenter;
};

TEST_F(SettingsPresenterTest, ListsHoldTheirFixedItemsAndTheLanguagesInTextOrder) {
    dialog();
    EXPECT_EQ(control(Control::Box_DriveType).items, (std::vector<std::string>{"HDD", "SSD"}));
    EXPECT_EQ(control(Control::Box_CheckType).items,
              (std::vector<std::string>{"Hard: MD5 Hash", "Medium: Size & Date",
                                        "Light: Previous List"}));
    EXPECT_EQ(control(Control::Box_Proxy).items, std::vector<std::string>{"Auto"});
    EXPECT_EQ(control(Control::Box_Language).items,
              (std::vector<std::string>{"English", "Русский"}));
}

TEST_F(SettingsPresenterTest, NoLanguageSectionsGiveAnEmptyLanguageList) {
    config().LanguageCollection.Clear();
    open();
    EXPECT_TRUE(control(Control::Box_Language).items.empty());
    pick_language(0);
    EXPECT_EQ(values.LangConst, 0);
}

// Unrolling

TEST_F(SettingsPresenterTest, EachOpeningUnrollsFromTheLeftEdgeInTenPixelSteps) {
    ASSERT_TRUE(config().SettingsWindow.FadeEffect); // as the default package says
    for (int opening = 0; opening < 2; ++opening) {
        open();
        EXPECT_EQ(surface.width, 0);
        ASSERT_TRUE(dialog().unrolling());
        for (int step = 1; step <= 51; ++step) {
            tick();
            ASSERT_EQ(surface.width, step * 10);
        }
        tick();
        EXPECT_EQ(surface.width, 520);
        EXPECT_FALSE(dialog().unrolling());
        tick();
        EXPECT_EQ(surface.width, 520);
        close();
    }
}

TEST_F(SettingsPresenterTest, ClosingWhileUnrollingLetsTheNextOpeningUnrollToFullWidth) {
    open();
    for (int step = 0; step < 5; ++step)
        tick();
    ASSERT_EQ(surface.width, 50);
    close();
    EXPECT_FALSE(dialog().unrolling());
    EXPECT_EQ(surface.width, 520);
    open();
    EXPECT_EQ(surface.width, 0);
    while (dialog().unrolling())
        tick();
    EXPECT_EQ(surface.width, 520);
}

TEST_F(SettingsPresenterTest, WithoutFadingOpensAtFullWidth) {
    config().SettingsWindow.FadeEffect = false;
    open();
    EXPECT_EQ(surface.width, 520);
    EXPECT_FALSE(dialog().unrolling());
}

// Language

TEST_F(SettingsPresenterTest, OpeningLabelsFromTheLanguageTableAndSelectsTheMainLanguage) {
    values.LangConst = kRussian;
    open();
    EXPECT_EQ(shown(Control::Box_Language), "Русский");
    EXPECT_EQ(surface.caption(SettingsCaption::Title), "Settings");
    EXPECT_EQ(surface.caption(SettingsCaption::Language), "Language");
    EXPECT_EQ(surface.caption(SettingsCaption::Autoclose),
              "Close the launcher after the game starts");
    EXPECT_EQ(surface.caption(SettingsCaption::Proxy), "Game proxy");
    EXPECT_EQ(surface.caption(SettingsCaption::DriveType), "Drive type");
    EXPECT_EQ(surface.caption(SettingsCaption::CheckType), "Check mode");
    close();
    values.LangConst = 4242; // no such section: the selection stays
    open();
    EXPECT_EQ(shown(Control::Box_Language), "Русский");
}

// The publisher fixed the language: the disabled box shows that one, not
// the list's first.
TEST_F(SettingsPresenterTest, AFixedLanguageIsTheOneShown) {
    config().Config.UserCan_ChangeLanguage = false;
    config().Config.DefaultLanguage = "Русский";
    values.LangConst = kEnglish;
    open();
    EXPECT_FALSE(control(Control::Box_Language).enabled);
    EXPECT_EQ(shown(Control::Box_Language), "Русский");
}

TEST_F(SettingsPresenterTest, PickingALanguageRelabelsTheDialogAtOnce) {
    values.LangConst = kEnglish;
    open();
    pick_language(1);
    EXPECT_EQ(values.LangConst, kRussian);
    EXPECT_EQ(config().LangName, "Русский");
    EXPECT_EQ(LanguageStrings()[21], "Не удалось подключиться к выбранному игровому прокси");
    EXPECT_EQ(surface.caption(SettingsCaption::Title), "Настройки");
    EXPECT_EQ(surface.caption(SettingsCaption::Proxy), "Игровой прокси");
}

TEST_F(SettingsPresenterTest, OpeningShowsTheSelectionWithoutApplyingALanguage) {
    values.LangConst = kRussian;
    open();
    EXPECT_EQ(shown(Control::Box_Language), "Русский");
    // Only a pick by the player changes the language.
    EXPECT_EQ(values.LangConst, kRussian);
    EXPECT_EQ(config().LangNum, kEnglish);
    EXPECT_EQ(surface.caption(SettingsCaption::Title), "Settings");
}

TEST_F(SettingsPresenterTest, DisabledLanguageListIgnoresPicks) {
    config().Config.UserCan_ChangeLanguage = false;
    open();
    pick_language(1);
    EXPECT_EQ(values.LangConst, 0);
    EXPECT_EQ(surface.caption(SettingsCaption::Title), "Settings");
}

// What the configuration allows

struct Permissions {
    const char* name;
    bool language, auto_close, proxy, drive_type, check_method;
};

class PresenterPermissionsTest : public SettingsPresenterTest,
                                 public ::testing::WithParamInterface<Permissions> {};

TEST_P(PresenterPermissionsTest, EachControlIsEnabledOnlyWhenAllowed) {
    const Permissions& can = GetParam();
    tConfigRecord& record = config().Config;
    record.UserCan_ChangeLanguage = can.language;
    record.UserCan_ChangeAutoClose = can.auto_close;
    record.UserCan_ChangeProxy = can.proxy;
    record.UserCan_ChangeDriveType = can.drive_type;
    record.UserCan_ChangeCheckMethod = can.check_method;
    record.DefaultAutoClose = true;
    values.AutoClose = false;
    values.DriveType = "SSD";
    values.CheckMode = "Light: Previous List";
    open();
    EXPECT_EQ(control(Control::Box_Language).enabled, can.language);
    EXPECT_EQ(control(Control::Check_Autoclose).enabled, can.auto_close);
    // A disabled box shows the configured default, an enabled one the choice.
    EXPECT_EQ(surface.checked, !can.auto_close);
    EXPECT_EQ(control(Control::Box_Proxy).enabled, can.proxy);
    EXPECT_EQ(control(Control::Box_DriveType).enabled, can.drive_type);
    EXPECT_EQ(control(Control::Box_DriveType).selected, can.drive_type ? 1 : 0);
    EXPECT_EQ(control(Control::Box_CheckType).enabled, can.check_method);
    EXPECT_EQ(control(Control::Box_CheckType).selected, can.check_method ? 2 : 0);

    const SettingsChoices choices = dialog().Choices();
    EXPECT_EQ(choices.AutoClose.has_value(), can.auto_close);
    EXPECT_EQ(choices.Proxy.has_value(), can.proxy);
    EXPECT_EQ(choices.DriveTypeIndex.has_value(), can.drive_type);
    EXPECT_EQ(choices.CheckTypeIndex.has_value(), can.check_method);
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, PresenterPermissionsTest,
    ::testing::Values(Permissions{"Everything", true, true, true, true, true},
                      Permissions{"Nothing", false, false, false, false, false},
                      Permissions{"LanguageAndProxy", true, false, true, false, false},
                      Permissions{"AutoCloseAndChecks", false, true, false, true, true}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

// Proxies

TEST_F(SettingsPresenterTest, ProxyListSelectsTheLastEntryOfTheChosenName) {
    config().ProxyServers.Servers = {" Main |127.0.0.2|a.ini", "other|127.0.0.3|b.ini",
                                     "MAIN|127.0.0.4|c.ini", "no separator"};
    values.SelProxy = "main";
    open();
    // Trimmed names; an entry without "|" has none.
    EXPECT_EQ(control(Control::Box_Proxy).items,
              (std::vector<std::string>{"Auto", "Main", "other", "MAIN", ""}));
    EXPECT_EQ(control(Control::Box_Proxy).selected, 3);
    close();
    values.SelProxy = "gone";
    open();
    EXPECT_EQ(control(Control::Box_Proxy).items.size(), 5u); // rebuilt, not added to
    EXPECT_EQ(shown(Control::Box_Proxy), "Auto");
    EXPECT_EQ(dialog().Choices().Proxy->name, "Auto");
}

TEST_F(SettingsPresenterTest, DisabledProxyListShowsOnlyAuto) {
    config().Config.UserCan_ChangeProxy = false;
    config().ProxyServers.Servers = {"one|127.0.0.2|a.ini", "two|127.0.0.3|b.ini"};
    values.SelProxy = "two";
    open();
    EXPECT_EQ(control(Control::Box_Proxy).items, std::vector<std::string>{"Auto"});
    EXPECT_EQ(shown(Control::Box_Proxy), "Auto");
    EXPECT_FALSE(control(Control::Box_Proxy).enabled);
}

// Drive type and check mode

struct ShownText {
    const char* main_value;
    const char* shown;
};

class DriveTypeShownTest : public SettingsPresenterTest,
                           public ::testing::WithParamInterface<ShownText> {};

TEST_P(DriveTypeShownTest, OnlyHddInAnyCaseShowsHdd) {
    values.DriveType = GetParam().main_value;
    open();
    EXPECT_EQ(shown(Control::Box_DriveType), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(DriveTypes, DriveTypeShownTest,
                         ::testing::Values(ShownText{"HDD", "HDD"}, ShownText{"hDd", "HDD"},
                                           ShownText{"SSD", "SSD"}, ShownText{"", "SSD"},
                                           ShownText{"hdd ", "SSD"}, ShownText{"NVMe", "SSD"}));

class CheckModeShownTest : public SettingsPresenterTest,
                           public ::testing::WithParamInterface<ShownText> {};

TEST_P(CheckModeShownTest, KnownModesInAnyCaseSelectTheirItem) {
    values.CheckMode = GetParam().main_value;
    open();
    EXPECT_EQ(shown(Control::Box_CheckType), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(CheckModes, CheckModeShownTest,
                         ::testing::Values(ShownText{"Hard: MD5 Hash", "Hard: MD5 Hash"},
                                           ShownText{"MEDIUM: SIZE & DATE", "Medium: Size & Date"},
                                           ShownText{"light: previous list",
                                                     "Light: Previous List"}));

TEST_F(SettingsPresenterTest, UnknownCheckModeLeavesThePreviousSelection) {
    values.CheckMode = "Light: Previous List";
    open();
    close();
    values.CheckMode = "Ultra: Every Byte";
    open();
    EXPECT_EQ(shown(Control::Box_CheckType), "Light: Previous List");
    EXPECT_EQ(dialog().Choices().CheckTypeIndex, 2);
}

} // namespace
} // namespace launcher::front
