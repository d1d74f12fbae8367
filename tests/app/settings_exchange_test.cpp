// The main window's settings button: placing and opening the settings window,
// and taking the player's choices back when it closes.
#include "app/image_button_widget.h"
#include "app/main_window.h"
#include "app/settings_window.h"
#include "app/skin_label.h"
#include "default_startup.h"
#include "platform/plain_event_loop.h"
#include "support/tcp_listener.h"
#include "support/temp_dir.h"
#include "update/update_workflow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace launcher::app {
namespace {

using namespace std::chrono_literals;

constexpr const char* kChosenProxyUnavailable = "The chosen game proxy could not be reached";

// The main window with its settings window, on the built-in package with
// game proxies in use. The proxy probe waits on a clock of its own: a probe
// nobody answers ends at once in virtual time.
class SettingsExchangeTest : public ::testing::Test {
protected:
    SettingsExchangeTest() {
        tConfigData& config = *startup.state.ConfigData;
        config.ProxyServers.UseProxy = true;
        config.SettingsWindow.FadeEffect = false;
    }

    tConfigData& config() { return *startup.state.ConfigData; }

    // Builds both windows as start-up does, after the test's configuration.
    void build() {
        MainWindowSetup setup;
        setup.MainPath = folder.path();
        setup.self_executable = folder / "launcher";
        window = std::make_unique<TFMain>(loop, startup.state, setup);
        window->SetDataToForm();
        settings = std::make_unique<TFSettings>(config(), startup.state.Skin->ConfigWindow,
                                                window->settings(), window.get());
        settings->SetDataToForm();
        window->SetSettingsWindow(settings.get());
    }

    // Clicks the main window's settings button. Once the dialog is up,
    // `while_open` may look at it and change it; then Ok closes it.
    void open_settings(const std::function<void(TFSettings&)>& while_open = {}) {
        opened = false;
        QTimer::singleShot(0, settings.get(), [this, while_open] {
            opened = settings->isVisible();
            if (while_open)
                while_open(*settings);
            settings->controls().Button_Ok->click();
        });
        window->Button_ConfigClick();
        ASSERT_TRUE(opened);
        ASSERT_FALSE(settings->isVisible());
    }

    void use_proxies(std::uint16_t port, std::vector<std::string> entries) {
        config().ProxyServers.Port = port;
        config().ProxyServers.Servers = std::move(entries);
    }

    testing::TempDir folder;
    DefaultStartup startup;
    platform::ManualClock clock;
    platform::PlainEventLoop loop{clock};
    std::unique_ptr<TFMain> window;
    std::unique_ptr<TFSettings> settings;
    bool opened = false;
};

TEST_F(SettingsExchangeTest, SettingsButtonOpensTheDialogOverTheMainWindow) {
    build();
    window->move(100, 50);
    QPoint shown_at;
    QTimer::singleShot(0, settings.get(), [&] {
        shown_at = settings->pos();
        settings->accept();
    });
    ImageButtonWidget* button = nullptr;
    for (auto* candidate : window->findChildren<ImageButtonWidget*>())
        if (&candidate->button() == &window->controls().Button_Config)
            button = candidate;
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(2, 2));
    const QSize main = window->size();
    EXPECT_EQ(shown_at,
              QPoint(100 + main.width() / 2 - 260 - 60, 50 + main.height() / 2 - 180 - 60));
}

// The settings button is clicked, the pointer moves away while the dialog is
// open, the dialog closes: the button shows its normal image, not the pressed
// or hovered one. With the pointer back over it, it shows the released one.
TEST_F(SettingsExchangeTest, AfterTheDialogTheSettingsButtonShowsTheImageForThePointer) {
    build();
    LanguageStrings()[0].clear(); // no news page to wait for
    window->move(0, 0);
    window->show();
    window->MainTimer.stop();
    ImageButtonWidget* button = nullptr;
    for (auto* candidate : window->findChildren<ImageButtonWidget*>())
        if (&candidate->button() == &window->controls().Button_Config)
            button = candidate;
    ASSERT_NE(button, nullptr);
    const TImageButton& model = window->controls().Button_Config;
    for (const bool back_over : {false, true}) {
        QCursor::setPos(button->mapToGlobal(QPoint(3, 3)));
        QTimer::singleShot(0, settings.get(), [&] {
            QCursor::setPos(back_over ? button->mapToGlobal(QPoint(3, 3)) : QPoint(3000, 3000));
            settings->accept();
        });
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(3, 3));
        EXPECT_EQ(model.ActualBmp(), back_over ? model.MUp() : model.Bmp()) << back_over;
    }
}

struct Placement {
    QRect main_window;
    QSize dialog;
    QPoint expected;
};

class SettingsPlacementTest : public ::testing::TestWithParam<Placement> {};

TEST_P(SettingsPlacementTest, SixtyPixelsLeftOfAndAboveTheCentre) {
    EXPECT_EQ(SettingsWindowPosition(GetParam().main_window, GetParam().dialog),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Windows, SettingsPlacementTest,
                         ::testing::Values(Placement{{0, 0, 800, 600}, {520, 360}, {80, 60}},
                                           // Odd sizes: each half is rounded toward zero.
                                           Placement{{0, 0, 801, 601}, {521, 361}, {80, 60}},
                                           Placement{{-50, -30, 101, 99}, {21, 19}, {-70, -50}},
                                           Placement{
                                               {10, 20, 300, 200}, {520, 360}, {-160, -120}}));

TEST_F(SettingsExchangeTest, AutoCloseIsTakenBack) {
    build();
    window->settings().AutoClose = false;
    open_settings([](TFSettings& dialog) { dialog.controls().Check_Autoclose->setChecked(true); });
    EXPECT_TRUE(window->settings().AutoClose);
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
    UserSettings& values = window->settings();
    values.AutoClose = true;
    values.SelProxy = "two";
    values.DriveType = "SSD";
    values.CheckMode = "Light: Previous List";
    open_settings([](TFSettings& dialog) {
        const QComboBox& proxies = *dialog.controls().Box_Proxy;
        EXPECT_EQ(proxies.count(), 1);
        EXPECT_EQ(proxies.currentText(), "Auto");
        EXPECT_FALSE(proxies.isEnabled());
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
    window->workflow().ProxyLine = "first|127.0.0.2|a.ini";
    open_settings([](TFSettings& dialog) { dialog.controls().Box_Proxy->setCurrentIndex(3); });
    EXPECT_EQ(window->workflow().ProxyLine, " last |127.0.0.7|c.ini");
    EXPECT_EQ(window->settings().SelProxy, "last");
    // The chosen entry's place stays for a probe of the workflow still to come.
    EXPECT_EQ(window->settings().ProxyIdx, 3);
    EXPECT_TRUE(window->message_panel().isHidden());
}

TEST_F(SettingsExchangeTest, ClosingWithoutChangesProbesTheSelectedProxyAgain) {
    testing::TcpListener chosen("127.0.0.6", 0);
    use_proxies(chosen.port(), {"one|127.0.0.2|a.ini", "two|127.0.0.6|b.ini"});
    build();
    window->settings().SelProxy = "TWO";
    open_settings();
    EXPECT_EQ(window->workflow().ProxyLine, "two|127.0.0.6|b.ini");
    EXPECT_EQ(window->settings().SelProxy, "two"); // in the spelling of the list
    EXPECT_EQ(window->settings().ProxyIdx, 2);
}

TEST_F(SettingsExchangeTest, ChosenProxyNotAnsweringIsReportedAndKeepsTheProxyLine) {
    clock.set_auto_advance(true, 5ms);
    testing::TcpListener elsewhere("127.0.0.9", 0); // only to find a free port
    use_proxies(elsewhere.port(), {"one|127.0.0.2|a.ini", "two|127.0.0.3|b.ini"});
    build();
    window->workflow().ProxyLine = "one|127.0.0.2|a.ini";
    const auto start = clock.now();
    open_settings([](TFSettings& dialog) { dialog.controls().Box_Proxy->setCurrentIndex(2); });
    EXPECT_EQ(clock.now() - start, 5000ms); // the probe's whole time limit
    EXPECT_EQ(window->workflow().ProxyLine, "one|127.0.0.2|a.ini");
    EXPECT_EQ(window->settings().SelProxy, "two");
    EXPECT_EQ(window->message_panel().text(), kChosenProxyUnavailable);
    EXPECT_EQ(window->status_label().text(), kChosenProxyUnavailable);
}

TEST_F(SettingsExchangeTest, AutoIsTakenBackWithoutAProbe) {
    use_proxies(1, {"one|127.0.0.2|a.ini"});
    build();
    window->settings().SelProxy = "one";
    window->workflow().ProxyLine = "one|127.0.0.2|a.ini";
    const auto start = clock.now();
    open_settings([](TFSettings& dialog) { dialog.controls().Box_Proxy->setCurrentIndex(0); });
    EXPECT_EQ(clock.now(), start);
    EXPECT_EQ(window->settings().SelProxy, "Auto");
    EXPECT_EQ(window->settings().ProxyIdx, 0);
    EXPECT_EQ(window->workflow().ProxyLine, "one|127.0.0.2|a.ini");
}

struct DriveTypeCase {
    const char* main_value;
    const char* taken_back;
};

class DriveTypeExchangeTest : public SettingsExchangeTest,
                              public ::testing::WithParamInterface<DriveTypeCase> {};

TEST_P(DriveTypeExchangeTest, OnlyHddInAnyCaseStaysHdd) {
    build();
    window->settings().DriveType = GetParam().main_value;
    open_settings();
    EXPECT_EQ(window->settings().DriveType, GetParam().taken_back);
}

INSTANTIATE_TEST_SUITE_P(DriveTypes, DriveTypeExchangeTest,
                         ::testing::Values(DriveTypeCase{"hdd", "HDD"}, DriveTypeCase{"HdD", "HDD"},
                                           DriveTypeCase{"ssd", "SSD"}, DriveTypeCase{"", "SSD"},
                                           DriveTypeCase{"floppy", "SSD"}));

TEST_F(SettingsExchangeTest, UnknownCheckModeWritesThePreviousSelectionBack) {
    build();
    window->settings().CheckMode = "medium: size & date";
    open_settings();
    EXPECT_EQ(window->settings().CheckMode, "Medium: Size & Date");
    window->settings().CheckMode = "Thorough";
    open_settings([](TFSettings& dialog) {
        EXPECT_EQ(dialog.controls().Box_CheckType->currentText(), "Medium: Size & Date");
    });
    EXPECT_EQ(window->settings().CheckMode, "Medium: Size & Date");
}

TEST_F(SettingsExchangeTest, PickedLanguageRelabelsTheDialogButNotTheMainTooltips) {
    build();
    const QString start_tooltip = window->start_button().toolTip();
    ASSERT_EQ(start_tooltip, "Start the game");
    open_settings([](TFSettings& dialog) {
        dialog.controls().Box_Language->setFocus();
        QTest::keyClick(dialog.controls().Box_Language, Qt::Key_End);
        EXPECT_EQ(dialog.controls().Text_Title->text(), "Настройки");
    });
    EXPECT_EQ(window->settings().LangConst, 1049);
    EXPECT_EQ(window->start_button().toolTip(), start_tooltip);
    EXPECT_EQ(window->lang_box_description_label().text(), "Язык");
}

TEST_F(SettingsExchangeTest, ReopeningShowsTheLanguagePickedBefore) {
    build();
    open_settings(
        [](TFSettings& dialog) { QTest::keyClick(dialog.controls().Box_Language, Qt::Key_End); });
    open_settings([](TFSettings& dialog) {
        EXPECT_EQ(dialog.controls().Box_Language->currentText(), "Русский");
        EXPECT_EQ(dialog.controls().Text_Proxy->text(), "Игровой прокси");
    });
}

} // namespace
} // namespace launcher::app
