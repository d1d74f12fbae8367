// What the main window does on its inputs and timers, whichever toolkit
// draws it.
#include "config/language_table.h"
#include "config/launcher_paths.h"
#include "config/player_choices.h"
#include "config/user_settings.h"
#include "platform/process_start.h"
#include "platform/terminate_flag.h"
#include "window_fixture.h"

#include <filesystem>
#include <functional>

namespace launcher::front {
namespace {

using namespace std::chrono_literals;

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

class MainWindowPresenterTest : public WindowFixture {
protected:
    void build_with_starter() {
        build();
        main->SetProcessStarter(&starter);
    }
    std::filesystem::path settings_file() const {
        return UserSettingsPath(UpdaterFolder(folder.path()));
    }

    RecordingStarter starter;
};

TEST_F(MainWindowPresenterTest, CreationPreparesTheFolderAndLabelsTheWindow) {
    folder.write("launcher.bak", "old");
    build();
    EXPECT_TRUE(std::filesystem::is_directory(UpdaterFolder(folder.path())));
    EXPECT_FALSE(std::filesystem::exists(folder / "launcher.bak"));
    EXPECT_EQ(main_surface.title, "Game Launcher");
    EXPECT_EQ(main_surface.start_hint, "Start the game");
    EXPECT_EQ(main_surface.check_all_hint, "Check and repair all game files");
    EXPECT_EQ(main_surface.language_description, "Language");
    EXPECT_TRUE(main_surface.alphas.empty()); // no fade: opaque from the start
}

TEST_F(MainWindowPresenterTest, ASkinWithoutBackgroundHasNoWindow) {
    startup.state.Skin->MainWindow.BackGroundImage.image = Bitmap();
    EXPECT_THROW(build(), std::runtime_error);
}

// Each skinned button runs its action, in either window.
struct ButtonCase {
    const char* name;
    TImageButton MainWindowControls::*button;
    std::function<bool(const RecordingMainSurface&, const RecordingStarter&)> done;
};

class ButtonWiring : public MainWindowPresenterTest,
                     public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(ButtonWiring, ClickRunsTheAction) {
    build_with_starter();
    TImageButton& button = controls.*GetParam().button;
    ASSERT_TRUE(button.OnClick);
    button.OnClick(button);
    EXPECT_TRUE(GetParam().done(main_surface, starter));
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, ButtonWiring,
    ::testing::Values(
        ButtonCase{"Close", &MainWindowControls::Button_Close,
                   [](const auto& surface, const auto&) { return surface.quits == 1; }},
        ButtonCase{"Cancel", &MainWindowControls::Button_Cancel,
                   [](const auto& surface, const auto&) { return surface.quits == 1; }},
        ButtonCase{"Minimize", &MainWindowControls::Button_Minimize,
                   [](const auto& surface, const auto&) { return surface.hidden_to_tray == 1; }},
        ButtonCase{
            "Config", &MainWindowControls::Button_Config,
            [](const auto& surface, const auto&) { return surface.settings_openings.size() == 1; }},
        ButtonCase{"StartGame", &MainWindowControls::Button_StartGame,
                   [](const auto&, const auto& starter) { return starter.programs.size() == 1; }},
        ButtonCase{"CheckAllFiles", &MainWindowControls::Button_CheckAllFiles,
                   [](const auto& surface, const auto&) {
                       return surface.status == "All files checked";
                   }}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

// Placing

struct PlacementCase {
    const char* name;
    int saved_left, saved_top;
    Point expected;
};

class FirstShowingPlacement : public MainWindowPresenterTest,
                              public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(FirstShowingPlacement, PlacesTheWindowOnce) {
    build();
    main->settings().MainLeft = GetParam().saved_left;
    main->settings().MainTop = GetParam().saved_top;
    LanguageStrings()[0].clear();
    main->FormShow();
    main->FormShow(); // shown again (from the tray): neither moved nor restarted
    ASSERT_EQ(main_surface.moves.size(), 1u);
    EXPECT_EQ(main_surface.moves[0], GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Places, FirstShowingPlacement,
                         ::testing::Values(PlacementCase{"Saved", 30, 40, {30, 40}},
                                           // Either coordinate unset: centred on the screen.
                                           PlacementCase{"NoLeft", -1, 40, {560, 240}},
                                           PlacementCase{"NoTop", 30, -1, {560, 240}}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

// A skin larger than the screen, or a place saved off it: the title area
// and the close button stay on the screen.
struct OnScreenCase {
    const char* name;
    Rect frame;
    Rect screen;
    int saved_left, saved_top;
    Point expected;
};

class PlacementOnScreen : public MainWindowPresenterTest,
                          public ::testing::WithParamInterface<OnScreenCase> {};

TEST_P(PlacementOnScreen, KeepsTheTitleAndTheCloseButtonThere) {
    build();
    const OnScreenCase& place = GetParam();
    main_surface.frame = place.frame;
    main_surface.screen = place.screen;
    const int width = place.frame.right - place.frame.left;
    controls.Button_Close.SetBounds(width - 36, 8, 20, 20);
    main->settings().MainLeft = place.saved_left;
    main->settings().MainTop = place.saved_top;
    LanguageStrings()[0].clear();
    main->FormShow();
    ASSERT_EQ(main_surface.moves.size(), 1u);
    EXPECT_EQ(main_surface.moves[0], place.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Places, PlacementOnScreen,
    ::testing::Values(
        // Centred it would stand at (-1408, -1536).
        OnScreenCase{
            "SkinLargerThanTheScreen", {0, 0, 4096, 4096}, {0, 0, 1280, 1024}, -1, -1, {-2800, 0}},
        OnScreenCase{
            "SavedBeyondTheScreen", {0, 0, 800, 600}, {0, 0, 1920, 1080}, 3000, 2000, {1136, 1052}},
        OnScreenCase{
            "SavedAboveAndLeft", {0, 0, 800, 600}, {0, 0, 1920, 1080}, -900, -50, {-764, 0}},
        OnScreenCase{"PartlyOffButMovableStays",
                     {0, 0, 800, 600},
                     {0, 0, 1920, 1080},
                     -300,
                     700,
                     {-300, 700}}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

// The news page and the start of the workflow

TEST_F(MainWindowPresenterTest, WithoutANewsPageTheWorkflowStartsASecondAfterTheShowing) {
    build();
    LanguageStrings()[0].clear();
    main->FormShow();
    EXPECT_TRUE(main_surface.navigations.empty());
    pass(990ms);
    EXPECT_TRUE(main_surface.status.empty());
    pass(10ms);
    EXPECT_FALSE(main->main_timer_running());
    EXPECT_EQ(main_surface.status, "No update server answered");
    EXPECT_FALSE(main_surface.start_enabled) << "the empty folder has no game to start";
}

enum class NewsOutcome { Loaded, Failed };

struct NewsCase {
    const char* name;
    NewsOutcome outcome;
    bool panel_shown;
};

class NewsPageSettles : public MainWindowPresenterTest,
                        public ::testing::WithParamInterface<NewsCase> {};

TEST_P(NewsPageSettles, AndTheWorkflowStartsASecondLater) {
    build();
    LanguageStrings()[0] = "http://news.example/";
    main->FormShow();
    ASSERT_EQ(main_surface.navigations, std::vector<std::string>{"http://news.example/"});
    pass(5000ms);
    EXPECT_TRUE(main->waiting_for_news());
    EXPECT_FALSE(main->main_timer_running());
    if (GetParam().outcome == NewsOutcome::Loaded)
        main->WebBrowser1NavigateComplete2();
    else
        main->WebBrowser1NavigateError();
    EXPECT_EQ(main_surface.news_panel, GetParam().panel_shown);
    EXPECT_TRUE(main->main_timer_running());
    // The time limit no longer counts.
    pass(6000ms);
    EXPECT_EQ(main_surface.news_stops, 0);
    EXPECT_EQ(main_surface.news_panel, GetParam().panel_shown);
    EXPECT_EQ(main_surface.status, "No update server answered");
}

INSTANTIATE_TEST_SUITE_P(Outcomes, NewsPageSettles,
                         ::testing::Values(NewsCase{"Loaded", NewsOutcome::Loaded, true},
                                           NewsCase{"Failed", NewsOutcome::Failed, false}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

// A server that accepts the connection and never answers: at the time limit
// the page counts as failed, its load is given up, and the workflow starts.
TEST_F(MainWindowPresenterTest, NewsPageThatNeverAnswersCountsAsFailedAtItsTimeLimit) {
    build();
    LanguageStrings()[0] = "http://silent.example/";
    main->FormShow();
    pass(MainWindowPresenter::kNewsTimeLimit - kStep);
    EXPECT_TRUE(main->waiting_for_news());
    EXPECT_EQ(main_surface.news_stops, 0);
    pass(kStep);
    EXPECT_FALSE(main->waiting_for_news());
    EXPECT_EQ(main_surface.news_stops, 1);
    EXPECT_EQ(main_surface.news_panel, false);
    EXPECT_TRUE(main->main_timer_running());
    pass(1000ms);
    EXPECT_EQ(main_surface.status, "No update server answered");
    // The abandoned page reporting late does not start the workflow again.
    main_surface.status.clear();
    main->WebBrowser1NavigateComplete2();
    main->WebBrowser1NavigateError();
    EXPECT_FALSE(main->main_timer_running());
    pass(2000ms);
    EXPECT_TRUE(main_surface.status.empty());
}

TEST_F(MainWindowPresenterTest, ClosedWhileWaitingForTheNewsTheWorkflowNeverStarts) {
    build();
    LanguageStrings()[0] = "http://news.example/";
    main->FormShow();
    main->Button_CloseClick();
    main->WebBrowser1NavigateComplete2();
    pass(2000ms);
    EXPECT_FALSE(main->main_timer_running());
    EXPECT_TRUE(main_surface.status.empty());
}

TEST_F(MainWindowPresenterTest, FadeEffectStartsInvisibleAndFadesInWithTheWorkflow) {
    config().MainWindow.FadeEffect = true;
    build();
    EXPECT_EQ(main_surface.alphas, std::vector<int>{0});
    LanguageStrings()[0].clear();
    main->FormShow();
    pass(1000ms);
    EXPECT_TRUE(main->fading());
    pass(900ms);
    EXPECT_EQ(main_surface.alphas, (std::vector<int>{0, 30, 60, 90, 120, 150, 180, 210, 240, 255}));
    EXPECT_FALSE(main->fading());
    pass(500ms);
    EXPECT_EQ(main_surface.alphas.size(), 10u);
}

// Starting the game

TEST_F(MainWindowPresenterTest, StartButtonStartsTheClientInItsFolder) {
    build_with_starter();
    main->Button_StartGameClick();
    ASSERT_EQ(starter.programs.size(), 1u);
    EXPECT_EQ(starter.programs[0].filename(), "jux.exe");
    EXPECT_EQ(starter.folders[0], folder / "system");
    EXPECT_FALSE(main->closed());
    EXPECT_EQ(main_surface.quits, 0);
}

TEST_F(MainWindowPresenterTest, StartWithAutomaticClosingRunsTheCloseAction) {
    build_with_starter();
    main->settings().AutoClose = true;
    main->Button_StartGameClick();
    EXPECT_EQ(starter.programs.size(), 1u);
    EXPECT_TRUE(main->closed());
    EXPECT_EQ(main_surface.quits, 1);
    EXPECT_TRUE(std::filesystem::exists(settings_file()));
}

// No client in the folder: the system's process start refuses, and the
// window says why (paths inside the launcher folder without it) instead of
// closing.
TEST_F(MainWindowPresenterTest, AClientThatCannotStartIsToldInTheMessagePanel) {
    build();
    main->settings().AutoClose = true;
    main->Button_StartGameClick();
    EXPECT_EQ(main_surface.messages,
              std::vector<std::string>{"Cannot start system/jux.exe: the file does not exist"});
    EXPECT_FALSE(main->closed());
}

// PLAY is lit only over a client that is there and files that stay put

struct StartOfferCase {
    const char* name;
    bool client_there;
    bool lit;
};

class StartOffer : public MainWindowPresenterTest,
                   public ::testing::WithParamInterface<StartOfferCase> {};

// No update server answers: the workflow offers the start, which in an
// empty folder has nothing to start.
TEST_P(StartOffer, AfterAnUpdateWithoutServer) {
    if (GetParam().client_there)
        folder.write("system/jux.exe", "client");
    build();
    LanguageStrings()[0].clear();
    main->FormShow();
    pass(1100ms);
    ASSERT_EQ(main->workflow().end(), WorkflowEnd::NoServer);
    EXPECT_EQ(main_surface.start_enabled, GetParam().lit);
}

INSTANTIATE_TEST_SUITE_P(Folders, StartOffer,
                         ::testing::Values(StartOfferCase{"EmptyFolder", false, false},
                                           StartOfferCase{"GameThere", true, true}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

// While the full check runs, PLAY is off, whatever the workflow offers
// meanwhile, and a click on it starts nothing; afterwards it is lit again.
TEST_F(MainWindowPresenterTest, FullCheckDisablesStartWhileItRuns) {
    folder.write("system/jux.exe", "client");
    build_with_starter();
    main->view().SetStartGameEnabled(true);
    ASSERT_TRUE(main_surface.start_enabled);
    std::vector<bool> during;
    main_surface.on_status = [&] {
        main->view().SetStartGameEnabled(true);
        during.push_back(main_surface.start_enabled);
        main->Button_StartGameClick();
    };
    main->Button_CheckAllFilesClick();
    EXPECT_EQ(during, std::vector<bool>{false});
    EXPECT_TRUE(starter.programs.empty());
    EXPECT_TRUE(main_surface.start_enabled);
}

// Minimizing, the notification area, a second start

struct MinimizeCase {
    const char* name;
    bool tray_icon;
    int hidden, minimized;
};

class MinimizeButton : public MainWindowPresenterTest,
                       public ::testing::WithParamInterface<MinimizeCase> {};

// Without a notification area the window could not be brought back once
// hidden: it goes to the taskbar.
TEST_P(MinimizeButton, HidesToTheTrayOnlyWithAnIconThere) {
    build();
    main_surface.has_tray_icon = GetParam().tray_icon;
    main->MinimizeButtonClick();
    EXPECT_EQ(main_surface.hidden_to_tray, GetParam().hidden);
    EXPECT_EQ(main_surface.minimized, GetParam().minimized);
}

INSTANTIATE_TEST_SUITE_P(Trays, MinimizeButton,
                         ::testing::Values(MinimizeCase{"TrayIcon", true, 1, 0},
                                           MinimizeCase{"NoTrayIcon", false, 0, 1}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_F(MainWindowPresenterTest, TrayIconAndASecondStartBringTheWindowForward) {
    build();
    LanguageStrings()[0].clear();
    main->FormShow();
    main->MinimizeButtonClick();
    main->TrayIconClick();
    main->ShowFromOtherStart();
    EXPECT_EQ(main_surface.brought_to_front, 2);
    EXPECT_EQ(main_surface.moves.size(), 1u);
}

// Closing

TEST_F(MainWindowPresenterTest, CloseActionRunsOnceAndSavesTheSettingsWhereTheWindowIs) {
    build();
    main_surface.MoveTo(123, 45);
    main->Button_CloseClick();
    ASSERT_TRUE(std::filesystem::exists(settings_file()));
    EXPECT_TRUE(main->closed());
    EXPECT_TRUE(platform::application_terminated());
    EXPECT_EQ(main_surface.tray_icon_removals, 1);
    EXPECT_EQ(main_surface.quits, 1);
    const UserSettings saved = LoadIniFile(settings_file(), config());
    EXPECT_EQ(saved.MainLeft, 123);
    EXPECT_EQ(saved.MainTop, 45);
    std::filesystem::remove(settings_file());
    main->Button_CloseClick();
    EXPECT_FALSE(std::filesystem::exists(settings_file()));
    EXPECT_EQ(main_surface.quits, 1);
}

// The workflow replaced the launcher's executable: the settings are saved
// and the new executable starts with the same command line.
TEST_F(MainWindowPresenterTest, RestartSavesTheSettingsAndStartsTheSameCommandLine) {
    build();
    ASSERT_TRUE(main->workflow().RestartLauncher);
    EXPECT_EQ(main->workflow().RestartLauncher(), "restart refused");
    ASSERT_EQ(main_surface.restarts.size(), 1u);
    EXPECT_EQ(main_surface.restarts[0].program, folder / "launcher");
    EXPECT_EQ(main_surface.restarts[0].arguments, std::vector<std::string>{"-debug"});
    EXPECT_EQ(main_surface.restarts[0].folder, folder.path());
    EXPECT_TRUE(std::filesystem::exists(settings_file()));
}

} // namespace
} // namespace launcher::front
