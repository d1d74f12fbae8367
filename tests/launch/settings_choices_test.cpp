// What the settings window shows of the player's choices and what it hands
// back when it closes.
#include "launch/settings_choices.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

TEST(ProxyListItems, TheLastEntryOfTheChosenNameIsSelected) {
    tGameProxysRecord proxies;
    proxies.Servers = {" Europe |1.2.3.4|eu.ini", "Asia|5.6.7.8|asia.ini", "europe|9.9.9.9|x.ini"};
    const ProxyListView view = ProxyListItems(proxies, "EUROPE", true);
    EXPECT_EQ(view.items, (std::vector<std::string>{"Auto", "Europe", "Asia", "europe"}));
    EXPECT_EQ(view.selected, 3);
    EXPECT_EQ(ProxyListItems(proxies, "nowhere", true).selected, 0);

    const ProxyListView locked = ProxyListItems(proxies, "Asia", false);
    EXPECT_EQ(locked.items, std::vector<std::string>{"Auto"});
    EXPECT_EQ(locked.selected, 0);
}

TEST(ListIndices, FollowTheTextsWithoutRegardToLetterCase) {
    EXPECT_EQ(DriveTypeIndex("hDd"), 0);
    for (const char* other : {"SSD", "", "hdd "})
        EXPECT_EQ(DriveTypeIndex(other), 1) << other;
    EXPECT_EQ(CheckModeIndex("medium: SIZE & date"), 1);
    EXPECT_EQ(CheckModeIndex("Light: Previous List"), 2);
    EXPECT_FALSE(CheckModeIndex("Hard"));
}

TEST(TakeBackChoices, OnlyEnabledChoicesChangeTheSettings) {
    UserSettings settings;
    settings.AutoClose = true;
    settings.SelProxy = "Asia";
    settings.ProxyIdx = 2;
    SettingsChoices none;
    TakeBackChoices(none, settings);
    EXPECT_TRUE(settings.AutoClose);
    EXPECT_EQ(settings.SelProxy, "Auto"); // a locked proxy list means automatic
    EXPECT_EQ(settings.DriveType, "HDD");

    SettingsChoices all;
    all.AutoClose = false;
    all.Proxy = ProxyChoice{1, "Europe"};
    all.DriveTypeIndex = 1;
    all.CheckTypeIndex = 2;
    TakeBackChoices(all, settings);
    EXPECT_FALSE(settings.AutoClose);
    EXPECT_EQ(settings.ProxyIdx, 1);
    EXPECT_EQ(settings.SelProxy, "Europe");
    EXPECT_EQ(settings.DriveType, "SSD");
    EXPECT_EQ(settings.CheckMode, "Light: Previous List");

    SettingsChoices out_of_range;
    out_of_range.DriveTypeIndex = -1;
    out_of_range.CheckTypeIndex = 3;
    TakeBackChoices(out_of_range, settings);
    EXPECT_EQ(settings.DriveType, "SSD");
    EXPECT_EQ(settings.CheckMode, "Light: Previous List");
}

TEST(SettingsWindowPosition, SixtyPixelsUpAndLeftOfCentred) {
    EXPECT_EQ(SettingsWindowPosition(Rect{100, 50, 901, 700}, 520, 360), (Point{180, 135}));
}

} // namespace
} // namespace launcher
