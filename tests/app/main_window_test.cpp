#include "app/image_button_widget.h"
#include "app/main_window.h"
#include "app/news_browser.h"
#include "app/qt_event_loop.h"
#include "app/skin_label.h"
#include "config/language_table.h"
#include "config/player_choices.h"
#include "platform/process_start.h"
#include "platform/terminate_flag.h"
#include "support/tcp_listener.h"
#include "support/temp_dir.h"

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

class RecordingStarter final : public platform::ProcessStarter {
public:
    std::string start(const std::filesystem::path& program, const std::vector<std::string>&,
                      const std::filesystem::path& working_dir) override {
        programs.push_back(program);
        folders.push_back(working_dir);
        return {};
    }
    std::vector<std::filesystem::path> programs;
    std::vector<std::filesystem::path> folders;
};

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
        window->SetProcessStarter(&starter);
    }

    testing::TempDir folder;
    std::vector<std::uint8_t> package;
    StartupState startup;
    QtEventLoop loop;
    RecordingStarter starter;
    std::unique_ptr<TFMain> window;
};

TEST_F(MainWindowTest, TakesTheSizeOfTheSkinBackground) {
    const Bitmap& background = startup.Skin->MainWindow.BackGroundImage.image;
    EXPECT_EQ(window->size(), QSize(background.width(), background.height()));
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(MainWindowTest, CreationPreparesTheUpdaterFolder) {
    EXPECT_TRUE(std::filesystem::is_directory(UpdaterFolder(folder.path())));
}

TEST_F(MainWindowTest, CreationRemovesALeftBackupOfTheLauncher) {
    folder.write("launcher.bak", "old");
    MainWindowSetup setup;
    setup.MainPath = folder.path();
    setup.self_executable = folder / "launcher";
    TFMain second(loop, startup, setup);
    EXPECT_FALSE(std::filesystem::exists(folder / "launcher.bak"));
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

TEST_F(MainWindowTest, IndicatorsFollowTheWorkflowValues) {
    window->SetIndicator(Indicator::ProgressBar_Total, IndicatorValue{0, 10, 7, 1});
    EXPECT_EQ(window->controls().ProgressBar_Total.Position(), 7);
    EXPECT_EQ(window->controls().ProgressBar_Total.Max(), 10);
    window->SetIndicator(Indicator::Gauge_OneFile, IndicatorValue{0, 200, 150, 1});
    EXPECT_EQ(window->controls().Gauge_OneFile.Position(), 150);
    EXPECT_EQ(window->IndicatorWidth(Indicator::ProgressBar_OneFile),
              window->controls().ProgressBar_OneFile.Width());
}

TEST_F(MainWindowTest, StartButtonStartsTheClientInItsFolder) {
    window->SetStartGameEnabled(true);
    window->Button_StartGameClick();
    ASSERT_EQ(starter.programs.size(), 1u);
    EXPECT_EQ(starter.programs[0].filename(), "jux.exe");
    EXPECT_EQ(starter.folders[0], folder / "system");
    EXPECT_FALSE(window->closed());
}

// No client in the folder: the system's process start refuses, and the
// window says why (paths inside the launcher folder without it) instead of
// closing.
TEST_F(MainWindowTest, AClientThatCannotStartIsToldInTheMessagePanel) {
    window->SetProcessStarter(nullptr);
    window->settings().AutoClose = true;
    window->SetStartGameEnabled(true);
    window->Button_StartGameClick();
    EXPECT_EQ(window->message_panel().text().toStdString(),
              "Cannot start system/jux.exe: the file does not exist");
    EXPECT_TRUE(window->message_panel().MsgTimer.isActive());
    EXPECT_FALSE(window->closed());
}

TEST_F(MainWindowTest, StartWithAutomaticClosingRunsTheCloseAction) {
    window->settings().AutoClose = true;
    window->Button_StartGameClick();
    EXPECT_EQ(starter.programs.size(), 1u);
    EXPECT_TRUE(window->closed());
    EXPECT_TRUE(std::filesystem::exists(UserSettingsPath(UpdaterFolder(folder.path()))));
}

TEST_F(MainWindowTest, CloseActionRunsOnceAndSavesTheSettings) {
    window->move(123, 45);
    window->Button_CloseClick();
    const auto settings_file = UserSettingsPath(UpdaterFolder(folder.path()));
    ASSERT_TRUE(std::filesystem::exists(settings_file));
    EXPECT_TRUE(window->closed());
    EXPECT_TRUE(platform::application_terminated());
    std::filesystem::remove(settings_file);
    window->Button_CloseClick();
    QCloseEvent close;
    QCoreApplication::sendEvent(window.get(), &close);
    EXPECT_FALSE(std::filesystem::exists(settings_file));
}

// The window shown with `news` as the news address; the workflow's timer is
// left to the test.
class MainWindowNewsTest : public MainWindowTest {
protected:
    void show_with_news(const std::string& news) {
        LanguageStrings()[0] = news;
        window->show();
    }
    bool wait_for_workflow_timer() {
        const bool started =
            QTest::qWaitFor([this] { return window->MainTimer.isActive(); }, 20000);
        window->MainTimer.stop();
        return started;
    }
};

TEST_F(MainWindowNewsTest, WithoutANewsPageTheWorkflowTimerStartsAtOnce) {
    show_with_news("");
    EXPECT_TRUE(window->MainTimer.isActive());
    window->MainTimer.stop();
}

TEST_F(MainWindowNewsTest, NewsPageThatFailsStaysHiddenAndTheWorkflowStartsAfterIt) {
    show_with_news("http://127.0.0.1:1/");
    EXPECT_FALSE(window->MainTimer.isActive());
    ASSERT_TRUE(wait_for_workflow_timer());
    EXPECT_FALSE(window->web_panel().isVisible());
}

// A server that accepts the connection and never answers: when the time limit
// runs out (ticked here by hand) the page counts as failed and the workflow's
// timer starts.
TEST_F(MainWindowNewsTest, NewsPageThatNeverAnswersCountsAsFailedAtItsTimeLimit) {
    EXPECT_EQ(window->NewsTimer.interval(), 10000);
    EXPECT_TRUE(window->NewsTimer.isSingleShot());
    testing::TcpListener silent("127.0.0.1", 0);
    show_with_news("http://127.0.0.1:" + std::to_string(silent.port()) + "/news/");
    ASSERT_TRUE(window->NewsTimer.isActive());
    QTest::qWait(200);
    EXPECT_FALSE(window->MainTimer.isActive());
    QMetaObject::invokeMethod(&window->NewsTimer, "timeout");
    EXPECT_TRUE(window->MainTimer.isActive());
    EXPECT_FALSE(window->web_panel().isVisible());
    window->MainTimer.stop();
    // The abandoned page does not start the workflow a second time.
    QTest::qWait(200);
    EXPECT_FALSE(window->MainTimer.isActive());
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
    window->MainTimer.stop();
    window->move(40, 30);
    const QPoint placed = window->pos();
    window->MinimizeButtonClick();
    // No notification area here: the window goes to the taskbar, not away.
    EXPECT_FALSE(window->isHidden());
    window->hide();
    window->ShowFromOtherStart();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
    EXPECT_EQ(window->pos(), placed);
    EXPECT_FALSE(window->MainTimer.isActive());
}

TEST_F(MainWindowTest, NotificationAreaIconCarriesTheHint) {
    window->SetTrayHint("Game launcher");
    EXPECT_EQ(window->tray_icon().toolTip(), "Game launcher");
    EXPECT_FALSE(window->tray_icon().icon().isNull());
}

} // namespace
} // namespace launcher::app
