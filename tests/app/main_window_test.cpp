#include "app/image_button_widget.h"
#include "app/main_window.h"
#include "app/news_browser.h"
#include "app/qt_event_loop.h"
#include "app/skin_label.h"
#include "config/language_table.h"
#include "config/player_choices.h"
#include "config/user_settings.h"
#include "platform/terminate_flag.h"
#include "support/temp_dir.h"
#include "update/launcher_view.h"

#include <QTest>
#include <fstream>
#include <iterator>
#include <vector>

#include <gtest/gtest.h>

namespace launcher::app {
namespace {

// The built-in package, as the launcher executable carries it.
std::vector<std::uint8_t> default_package() {
    std::ifstream file(LAUNCHER_DEFAULT_PACKAGE, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        QCursor::setPos(2000, 2000);
        package = default_package();
        ASSERT_FALSE(package.empty());
        startup = RunStartup({}, [this] {
            return std::optional<std::span<const std::uint8_t>>(std::span(package));
        });
        MainWindowSetup setup;
        setup.MainPath = folder.path();
        setup.self_executable = folder / "launcher";
        window = std::make_unique<TFMain>(loop, startup, setup);
        window->SetDataToForm();
    }

    testing::TempDir folder;
    std::vector<std::uint8_t> package;
    StartupState startup;
    QtEventLoop loop;
    std::unique_ptr<TFMain> window;
};

TEST_F(MainWindowTest, TakesTheSizeOfTheSkinBackground) {
    const Bitmap& background = startup.Skin->MainWindow.BackGroundImage.image;
    EXPECT_EQ(window->size(), QSize(background.width(), background.height()));
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(MainWindowTest, StartButtonIsDisabledUntilTheWorkflowEnablesIt) {
    EXPECT_FALSE(window->controls().Button_StartGame.Enabled());
    EXPECT_EQ(window->start_button().cursor().shape(), Qt::ForbiddenCursor);
    window->SetStartGameEnabled(true);
    EXPECT_TRUE(window->controls().Button_StartGame.Enabled());
    EXPECT_EQ(window->start_button().cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(MainWindowTest, StatusLinesSizeToTheirText) {
    window->SetStatus("Checking \\system\\jux.exe");
    EXPECT_EQ(window->status_label().text(), "Checking \\system\\jux.exe");
    const int long_width = window->status_label().width();
    window->SetStatus("Ok");
    EXPECT_LT(window->status_label().width(), long_width);
    window->SetTotalStatus("Total: 100%");
    EXPECT_EQ(window->total_status_label().text(), "Total: 100%");
}

// A reason longer than the room left of PLAY ends in an ellipsis there and
// shows whole as the tooltip.
TEST_F(MainWindowTest, LongStatusLineStopsBeforeTheStartButton) {
    const std::string reason =
        "Cannot write to the game folder: " + std::string(40, 'x') + "/updater: Permission denied";
    window->SetStatus(reason);
    const TShadowLabel& line = window->status_label();
    const QRect play = window->start_button().geometry();
    if (play.left() > line.x() && play.top() < line.geometry().bottom() &&
        play.bottom() >= line.y()) {
        EXPECT_LT(line.geometry().right(), play.left());
    }
    EXPECT_LE(line.geometry().right(), window->width());
    EXPECT_TRUE(line.shown_text().endsWith(QChar(0x2026)));
    EXPECT_EQ(line.toolTip().toStdString(), reason);
    window->SetStatus("Ok");
    EXPECT_TRUE(line.toolTip().isEmpty());
    EXPECT_EQ(line.shown_text(), "Ok");
}

TEST_F(MainWindowTest, IndicatorsFollowTheWorkflowValues) {
    LauncherView& view = window->presenter().view();
    view.SetIndicator(Indicator::ProgressBar_Total, IndicatorValue{0, 10, 7, 1});
    EXPECT_EQ(window->controls().ProgressBar_Total.Position(), 7);
    EXPECT_EQ(window->controls().ProgressBar_Total.Max(), 10);
    view.SetIndicator(Indicator::Gauge_OneFile, IndicatorValue{0, 200, 150, 1});
    EXPECT_EQ(window->controls().Gauge_OneFile.Position(), 150);
    EXPECT_EQ(view.IndicatorWidth(Indicator::ProgressBar_OneFile),
              window->controls().ProgressBar_OneFile.Width());
}

// Closing the window (by the system's close request) is the close action.
TEST_F(MainWindowTest, CloseRequestRunsTheCloseActionOnce) {
    window->move(123, 45);
    QCloseEvent close;
    QCoreApplication::sendEvent(window.get(), &close);
    const auto settings_file = UserSettingsPath(UpdaterFolder(folder.path()));
    ASSERT_TRUE(std::filesystem::exists(settings_file));
    EXPECT_EQ(LoadIniFile(settings_file, *startup.ConfigData).MainLeft, 123);
    EXPECT_TRUE(window->presenter().closed());
    EXPECT_TRUE(platform::application_terminated());
    EXPECT_FALSE(window->isVisible());
    std::filesystem::remove(settings_file);
    QCoreApplication::sendEvent(window.get(), &close);
    EXPECT_FALSE(std::filesystem::exists(settings_file));
}

// The window shown with `news` as the news address, with the real browser.
class MainWindowNewsTest : public MainWindowTest {
protected:
    void show_with_news(const std::string& news) {
        LanguageStrings()[0] = news;
        window->show();
    }
    bool wait_for_workflow_timer() {
        return QTest::qWaitFor([this] { return window->presenter().main_timer_running(); }, 20000);
    }
};

TEST_F(MainWindowNewsTest, NewsPageThatFailsStaysHiddenAndTheWorkflowStartsAfterIt) {
    show_with_news("http://127.0.0.1:1/");
    EXPECT_FALSE(window->presenter().main_timer_running());
    ASSERT_TRUE(wait_for_workflow_timer());
    EXPECT_FALSE(window->web_panel().isVisible());
}

TEST_F(MainWindowNewsTest, NewsPageThatLoadsIsShownWithItsFirstRowsClipped) {
    const auto page = folder.write("news.html", "<h1>News</h1>");
    show_with_news(
        QUrl::fromLocalFile(QString::fromStdString(page.string())).toString().toStdString());
    ASSERT_TRUE(wait_for_workflow_timer());
    EXPECT_TRUE(window->web_panel().isVisible());
    EXPECT_EQ(window->news_browser()->geometry(), QRect(0, -19, 788, 464));
}

TEST_F(MainWindowNewsTest, ShowingTheWindowAgainNeitherMovesItNorReloadsTheNews) {
    show_with_news("");
    window->move(40, 30);
    const QPoint placed = window->pos();
    window->presenter().MinimizeButtonClick();
    // No notification area here: the window goes to the taskbar, not away.
    EXPECT_FALSE(window->isHidden());
    window->hide();
    window->presenter().ShowFromOtherStart();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
    EXPECT_EQ(window->pos(), placed);
}

TEST_F(MainWindowTest, NotificationAreaIconCarriesTheHint) {
    window->SetTrayHint("Game launcher");
    EXPECT_EQ(window->tray_icon().toolTip(), "Game launcher");
    EXPECT_FALSE(window->tray_icon().icon().isNull());
}

} // namespace
} // namespace launcher::app
