#include "app/settings_window.h"
#include "app/skin_label.h"
#include "config/user_settings.h"
#include "default_startup.h"
#include "platform/plain_event_loop.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <memory>

#include <gtest/gtest.h>

namespace launcher::app {
namespace {

constexpr std::int32_t kEnglish = 1033;
constexpr std::int32_t kRussian = 1049;

int right_edge(const QWidget& widget) {
    return widget.x() + widget.width();
}

// The settings window alone, on the built-in package and a loop in virtual
// time. Tests change the configuration, the skin or the main window's values
// before dialog() builds the window.
class SettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override { config().SetLanguageArray(kEnglish, LanguageStrings()); }

    tConfigData& config() { return *startup.state.ConfigData; }
    TqorConfigWindow& skin() { return startup.state.Skin->ConfigWindow; }

    TFSettings& dialog() {
        if (!window) {
            window = std::make_unique<TFSettings>(loop, config(), skin(), values);
            window->SetDataToForm();
        }
        return *window;
    }
    const SettingsControls& controls() { return dialog().controls(); }

    // An opening and a closing as the modal run makes them, without its loop.
    void open() { dialog().show(); }
    void close() { dialog().hide(); }

    // The unrolling timer's next tick.
    void tick() {
        clock.advance(front::SettingsPresenter::kFadeInterval);
        loop.process_pending(platform::Milliseconds(0));
    }

    DefaultStartup startup;
    platform::ManualClock clock;
    platform::PlainEventLoop loop{clock};
    UserSettings values;
    std::unique_ptr<TFSettings> window;
};

TEST_F(SettingsWindowTest, IsAFramelessModalDialog) {
    EXPECT_TRUE(dialog().windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(dialog().isModal());
}

TEST_F(SettingsWindowTest, ControlsStartAtTheirDesignedPlaces) {
    TFSettings bare(loop, config(), skin(), values); // no skin applied
    const SettingsControls& c = bare.controls();
    EXPECT_EQ(c.Box_Language->geometry(), QRect(335, 107, 73, 21));
    EXPECT_EQ(c.Check_Autoclose->geometry(), QRect(335, 136, 13, 17));
    EXPECT_EQ(c.Button_Ok->geometry(), QRect(400, 304, 99, 33));
    EXPECT_EQ(c.Box_Proxy->geometry(), QRect(335, 161, 164, 21));
    EXPECT_EQ(c.Box_DriveType->geometry(), QRect(335, 192, 164, 21));
    EXPECT_EQ(c.Box_CheckType->geometry(), QRect(335, 223, 164, 21));
    EXPECT_EQ(c.Text_Title->pos(), QPoint(253, 72));
    bare.presenter().SetLanguage();
    for (const TRightAlignedLabel* caption :
         {c.Text_Language, c.Text_Autoclose, c.Text_Proxy, c.Text_DriveType, c.Text_CheckType}) {
        EXPECT_EQ(right_edge(*caption), 328) << caption->text().toStdString();
        EXPECT_EQ(caption->layoutDirection(), Qt::RightToLeft);
    }
    EXPECT_EQ(c.Text_Language->y(), 108);
    EXPECT_EQ(c.Text_CheckType->y(), 224);
    EXPECT_EQ(c.Button_Ok->text(), "Ok");
}

TEST_F(SettingsWindowTest, ListsAllowNoTypingAndHoldTheirFixedItems) {
    const SettingsControls& c = controls();
    for (const QComboBox* box : {c.Box_Language, c.Box_Proxy, c.Box_DriveType, c.Box_CheckType})
        EXPECT_FALSE(box->isEditable());
    ASSERT_EQ(c.Box_DriveType->count(), 2);
    EXPECT_EQ(c.Box_DriveType->itemText(0), "HDD");
    EXPECT_EQ(c.Box_DriveType->itemText(1), "SSD");
    ASSERT_EQ(c.Box_CheckType->count(), 3);
    EXPECT_EQ(c.Box_CheckType->itemText(0), "Hard: MD5 Hash");
    EXPECT_EQ(c.Box_CheckType->itemText(1), "Medium: Size & Date");
    EXPECT_EQ(c.Box_CheckType->itemText(2), "Light: Previous List");
    ASSERT_EQ(c.Box_Language->count(), 2); // display names, in text order
    EXPECT_EQ(c.Box_Language->itemText(0), "English");
    EXPECT_EQ(c.Box_Language->itemText(1), "Русский");
}

TEST_F(SettingsWindowTest, SkinPlacesTheControlsAndCaptionsKeepTheirRightEdge) {
    const SettingsControls& c = controls();
    // The default skin widens the language list and places each caption at
    // 188 with a width of 140: its right edge is 328.
    EXPECT_EQ(c.Box_Language->geometry(), QRect(335, 107, 164, 21));
    EXPECT_TRUE(c.Text_Title->font().bold());
    open();
    EXPECT_EQ(right_edge(*c.Text_Proxy), 328);
    const int short_width = c.Text_Proxy->width();
    c.Text_Proxy->SetCaption("A much longer caption for the game proxy");
    EXPECT_GT(c.Text_Proxy->width(), short_width);
    EXPECT_EQ(right_edge(*c.Text_Proxy), 328);
}

// The skin's box for the auto-close caption: 180, 129, 148 x 28, two lines
// between the separators of its row.
const QRect kAutocloseBox(180, 129, 148, 28);

struct CaptionCase {
    const char* name;
    std::int32_t language;
};

class AutoCloseCaption : public SettingsWindowTest,
                         public ::testing::WithParamInterface<CaptionCase> {};

TEST_P(AutoCloseCaption, FitsTheSkinsBoxWholly) {
    config().SetLanguageArray(GetParam().language, LanguageStrings());
    open();
    const TRightAlignedLabel& caption = *controls().Text_Autoclose;
    EXPECT_TRUE(kAutocloseBox.contains(caption.geometry()))
        << caption.geometry().x() << "," << caption.geometry().y() << " "
        << caption.geometry().width() << "x" << caption.geometry().height();
    EXPECT_EQ(right_edge(caption), 328);
    EXPECT_EQ(caption.shown_lines().size(), 2);
    EXPECT_EQ(caption.shown_lines().join(' '), caption.text());
    EXPECT_TRUE(caption.toolTip().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Languages, AutoCloseCaption,
                         ::testing::Values(CaptionCase{"English", kEnglish},
                                           CaptionCase{"Russian", kRussian}),
                         [](const auto& case_info) { return std::string(case_info.param.name); });

TEST_F(SettingsWindowTest, CaptionLongerThanItsBoxEndsInAnEllipsisWithTheWholeTextAsTooltip) {
    open();
    TRightAlignedLabel& caption = *controls().Text_Autoclose;
    const QString text = "Close the launcher window and every other window after the game "
                         "client has been started";
    caption.SetCaption(text.toStdString());
    EXPECT_TRUE(kAutocloseBox.contains(caption.geometry()));
    ASSERT_EQ(caption.shown_lines().size(), 2);
    EXPECT_TRUE(caption.shown_lines().back().endsWith(QChar(0x2026)));
    EXPECT_EQ(caption.toolTip(), text);
    // A one-line box (the other captions') holds one line.
    TRightAlignedLabel& proxy = *controls().Text_Proxy;
    proxy.SetCaption(text.toStdString());
    EXPECT_EQ(proxy.shown_lines().size(), 1);
    EXPECT_GE(proxy.x(), 188);
    EXPECT_EQ(proxy.y(), 162);
    EXPECT_EQ(right_edge(proxy), 328);
}

TEST_F(SettingsWindowTest, ControlsTakeTheSkinsColoursAndFont) {
    const SettingsControls& c = controls();
    const QColor caption = c.Text_Language->palette().color(QPalette::WindowText);
    EXPECT_EQ(caption, QColor(0xE8, 0xEC, 0xF2)); // the skin's $00F2ECE8
    for (QWidget* control :
         std::initializer_list<QWidget*>{c.Box_Language, c.Check_Autoclose, c.Box_Proxy,
                                         c.Box_DriveType, c.Box_CheckType, c.Button_Ok}) {
        const QPalette& look = control->palette();
        EXPECT_EQ(look.color(QPalette::ButtonText), caption);
        EXPECT_EQ(look.color(QPalette::Text), caption);
        // A dark face, as the skin's background, not the light native one.
        EXPECT_LT(look.color(QPalette::Button).lightness(), 90);
        EXPECT_LT(look.color(QPalette::Base).lightness(), 90);
        EXPECT_EQ(control->font().pixelSize(), c.Text_Language->font().pixelSize());
    }
    EXPECT_EQ(c.Box_Proxy->view()->palette().color(QPalette::Text), caption);
}

TEST_F(SettingsWindowTest, SkinWithoutVisibleFlagHidesTheControl) {
    skin().Box_Proxy.parameters = {"Left=10", "Top=20", "Width=100", "Height=25"};
    open();
    EXPECT_EQ(controls().Box_Proxy->geometry(), QRect(10, 20, 100, 25));
    EXPECT_FALSE(controls().Box_Proxy->isVisible());
    EXPECT_TRUE(controls().Box_DriveType->isVisible());
}

// The dialog keeps its designed size; only its outline follows the skin.
class SettingsBackgroundSizeTest : public SettingsWindowTest,
                                   public ::testing::WithParamInterface<QSize> {};

TEST_P(SettingsBackgroundSizeTest, DialogKeepsItsDesignedSize) {
    skin().BackGroundImage.image = Bitmap(GetParam().width(), GetParam().height(), 0xFF203040u);
    config().SettingsWindow.FadeEffect = false;
    open();
    EXPECT_EQ(dialog().size(), QSize(520, 360));
    EXPECT_EQ(dialog().minimumSize(), dialog().maximumSize());
}

INSTANTIATE_TEST_SUITE_P(Backgrounds, SettingsBackgroundSizeTest,
                         ::testing::Values(QSize(520, 360), QSize(800, 600), QSize(300, 200)));

TEST_F(SettingsWindowTest, KeyColourIsCutOutWhereverItOccurs) {
    constexpr std::uint32_t key = 0xFFFF00FFu;
    Bitmap background(520, 360, 0xFF203040u);
    background.set_pixel(0, 0, key);
    background.fill_rect({200, 100, 203, 102}, key); // a hole inside the picture
    background.set_pixel(519, 359, key);
    background.set_pixel(10, 300, 0x00FF00FFu); // the key colour, other alpha
    skin().BackGroundImage.image = background;
    const QRegion outline = dialog().mask();
    EXPECT_FALSE(outline.contains(QPoint(0, 0)));
    EXPECT_FALSE(outline.contains(QPoint(200, 100)));
    EXPECT_FALSE(outline.contains(QPoint(202, 101)));
    EXPECT_FALSE(outline.contains(QPoint(519, 359)));
    EXPECT_FALSE(outline.contains(QPoint(10, 300)));
    EXPECT_TRUE(outline.contains(QPoint(1, 0)));
    EXPECT_TRUE(outline.contains(QPoint(203, 100)));
    EXPECT_TRUE(outline.contains(QPoint(200, 102)));
    EXPECT_TRUE(outline.contains(QPoint(518, 359)));
}

TEST_F(SettingsWindowTest, BackgroundSmallerThanTheDialogLimitsTheOutline) {
    skin().BackGroundImage.image = Bitmap(300, 200, 0xFF203040u);
    skin().BackGroundImage.image.set_pixel(0, 0, 0xFF000000u);
    const QRegion outline = dialog().mask();
    EXPECT_TRUE(outline.contains(QPoint(299, 199)));
    EXPECT_FALSE(outline.contains(QPoint(300, 100)));
    EXPECT_FALSE(outline.contains(QPoint(0, 0)));
}

TEST_F(SettingsWindowTest, NoBackgroundKeepsTheRectangle) {
    skin().BackGroundImage.image = Bitmap();
    EXPECT_TRUE(dialog().mask().isEmpty()); // no mask: the whole rectangle shows
}

// Fading

// The dialog's showing and hiding are its openings and closings: it unrolls
// from its left edge, and closed midway it is whole again.
TEST_F(SettingsWindowTest, ShowingUnrollsTheDialogAndHidingMakesItWhole) {
    ASSERT_TRUE(config().SettingsWindow.FadeEffect); // as the default package says
    open();
    EXPECT_EQ(dialog().size(), QSize(0, 360));
    for (int step = 0; step < 5; ++step)
        tick();
    ASSERT_EQ(dialog().width(), 50);
    close();
    EXPECT_EQ(dialog().width(), 520);
    open();
    EXPECT_EQ(dialog().width(), 0);
    while (dialog().presenter().unrolling())
        tick();
    EXPECT_EQ(dialog().width(), 520);
}

// Language

TEST_F(SettingsWindowTest, PickingALanguageRelabelsTheDialogAtOnce) {
    values.LangConst = kEnglish;
    open();
    QTest::keyClick(controls().Box_Language, Qt::Key_Down);
    EXPECT_EQ(values.LangConst, kRussian);
    EXPECT_EQ(config().LangName, "Русский");
    EXPECT_EQ(LanguageStrings()[21], "Не удалось подключиться к выбранному игровому прокси");
    EXPECT_EQ(controls().Text_Title->text(), "Настройки");
    EXPECT_EQ(controls().Text_Proxy->text(), "Игровой прокси");
    EXPECT_EQ(right_edge(*controls().Text_Proxy), 328);
}

// What the configuration allows, on the dialog's own controls

struct Permissions {
    const char* name;
    bool language, auto_close, proxy, drive_type, check_method;
};

class SettingsPermissionsTest : public SettingsWindowTest,
                                public ::testing::WithParamInterface<Permissions> {};

TEST_P(SettingsPermissionsTest, EachControlIsEnabledOnlyWhenAllowed) {
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
    const SettingsControls& c = controls();
    EXPECT_EQ(c.Box_Language->isEnabled(), can.language);
    EXPECT_EQ(c.Check_Autoclose->isEnabled(), can.auto_close);
    // A disabled box shows the configured default, an enabled one the choice.
    EXPECT_EQ(c.Check_Autoclose->isChecked(), !can.auto_close);
    EXPECT_EQ(c.Box_Proxy->isEnabled(), can.proxy);
    EXPECT_EQ(c.Box_DriveType->isEnabled(), can.drive_type);
    EXPECT_EQ(c.Box_DriveType->currentIndex(), can.drive_type ? 1 : 0);
    EXPECT_EQ(c.Box_CheckType->isEnabled(), can.check_method);
    EXPECT_EQ(c.Box_CheckType->currentIndex(), can.check_method ? 2 : 0);

    const SettingsChoices choices = dialog().Choices();
    EXPECT_EQ(choices.AutoClose.has_value(), can.auto_close);
    EXPECT_EQ(choices.Proxy.has_value(), can.proxy);
    EXPECT_EQ(choices.DriveTypeIndex.has_value(), can.drive_type);
    EXPECT_EQ(choices.CheckTypeIndex.has_value(), can.check_method);
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, SettingsPermissionsTest,
    ::testing::Values(Permissions{"Everything", true, true, true, true, true},
                      Permissions{"Nothing", false, false, false, false, false},
                      Permissions{"LanguageAndProxy", true, false, true, false, false},
                      Permissions{"AutoCloseAndChecks", false, true, false, true, true}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

// Proxies

TEST_F(SettingsWindowTest, ProxyListSelectsTheLastEntryOfTheChosenName) {
    config().ProxyServers.Servers = {" Main |127.0.0.2|a.ini", "other|127.0.0.3|b.ini",
                                     "MAIN|127.0.0.4|c.ini", "no separator"};
    values.SelProxy = "main";
    open();
    const QComboBox& box = *controls().Box_Proxy;
    ASSERT_EQ(box.count(), 5);
    EXPECT_EQ(box.itemText(0), "Auto");
    EXPECT_EQ(box.itemText(1), "Main"); // trimmed
    EXPECT_EQ(box.itemText(4), "");     // an entry without "|" has no name
    EXPECT_EQ(box.currentIndex(), 3);
    close();
    values.SelProxy = "gone";
    open();
    EXPECT_EQ(box.count(), 5); // rebuilt, not added to
    EXPECT_EQ(box.currentText(), "Auto");
}

} // namespace
} // namespace launcher::app
