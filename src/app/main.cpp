// The windowed launcher: start-up, the single-instance rule, the main window
// and the message loop.
#include "app/main_window.h"
#include "app/news_browser.h"
#include "app/qt_event_loop.h"
#include "app/settings_window.h"
#include "app/single_instance.h"
#include "config/language_table.h"
#include "config/player_choices.h"
#include "config/startup.h"
#include "front/skipped_images.h"
#include "platform/child_process.h"
#include "platform/files.h"
#include "platform/stop_request.h"
#include "platform/system_language.h"
#include "platform/terminate_flag.h"
#include "update/game_folder_lock.h"
#include "update/launcher_handover.h"
#include "version/version_line.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string> arguments_of(int argc, char** argv) {
    return {argv + std::min(argc, 1), argv + argc};
}

void show_error(const std::string& text) {
    QMessageBox::critical(nullptr, QString(), QString::fromStdString(text));
}

std::string launcher_version_line() {
    return launcher::VersionLine("launcher", {{"Qt", qVersion()}});
}

int run(int argc, char** argv) {
    using namespace launcher;
    // Answered before any window or display is needed.
    if (argc > 1 && std::string_view(argv[1]) == "--version") {
        std::cout << launcher_version_line() << "\n";
        return 0;
    }
    app::PrepareNewsBrowserEngine();
    // Only the first argument means anything to the launcher; Qt must not
    // take options such as "-style" out of the command line either.
    int qt_argc = std::min(argc, 1);
    QApplication application(qt_argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // SIGTERM, SIGINT and SIGHUP end the launcher after its run removed its
    // temporary files; the waits of a run see them at once, an idle window here.
    platform::catch_stop_requests();
    QTimer stop_watch;
    QObject::connect(&stop_watch, &QTimer::timeout, [] {
        if (platform::stop_request() != 0)
            platform::end_process_if_terminated();
    });
    stop_watch.start(200);

    StartupState startup;
    try {
        startup = RunStartup(arguments_of(argc, argv), {}, launcher_version_line());
    } catch (const std::exception& error) {
        show_error(error.what());
        return 1;
    }

    front::ReportSkippedImages(startup);

    std::unique_ptr<app::SingleInstance> instance =
        app::SingleInstance::Claim(QString::fromStdString(startup.InstanceTitle));
    if (!instance)
        return 0;

    if (startup.Skin->MainWindow.BackGroundImage.image.empty()) {
        show_error("Sorry! Not found the config");
        return 0;
    }

    // One run per game folder: another launcher or launcher-cli updating it
    // keeps this one from touching anything there.
    const std::filesystem::path launcher_folder = platform::executable_path().parent_path();
    std::optional<platform::FileLock> folder_lock;
    try {
        folder_lock = LockGameFolderAtStart(launcher_folder);
        if (!folder_lock) {
            LoadPlayerChoices(UpdaterFolder(launcher_folder), *startup.ConfigData,
                              LanguageStrings(), platform::system_default_language_id());
            show_error(LanguageText(LanguageStrings(), LanguageEntry::FolderBusy));
            return 1;
        }
    } catch (const platform::FileError&) {
        // A folder that cannot hold a lock file cannot be written by any run.
    }

    app::QtEventLoop loop;
    app::MainWindowSetup setup;
    setup.self_executable = platform::executable_path();
    setup.MainPath = launcher_folder;
    setup.arguments = arguments_of(argc, argv);
    app::TFMain* window = nullptr;
    // The new executable takes over: this launcher lets the instance title
    // go, waits as its parent until it confirmed its start and then ends;
    // when it does not, the title is taken again and the old one goes on.
    setup.hand_over = [&, program = setup.self_executable](
                          const std::vector<std::string>& command_line) -> std::string {
        const QString title = QString::fromStdString(startup.InstanceTitle);
        instance.reset();
        HandOver handover = HandOverToSuccessor(
            loop, UpdaterFolder(launcher_folder) / kStartedMarkerName, [&](std::string& error) {
                return platform::start_child(program, command_line, launcher_folder,
                                             platform::Elevation::Elevated, error);
            });
        if (handover.successor) {
            std::fflush(nullptr);
            std::_Exit(0); // the settings are saved; the folder lock goes with the process
        }
        instance = app::SingleInstance::Claim(title);
        if (instance && window)
            instance->SetOnShowRequest([window] { window->presenter().ShowFromOtherStart(); });
        return handover.failure;
    };
    app::TFMain main_window(loop, startup, setup);
    window = &main_window;
    main_window.SetDataToForm();
    if (startup.command_line.DebugMode)
        main_window.presenter().SetDebugFile(startup.DebugFile.get());
    main_window.setWindowTitle(QString::fromStdString(startup.InstanceTitle));
    if (!startup.ConfigData->Config.TrayHint.empty())
        main_window.SetTrayHint(startup.ConfigData->Config.TrayHint);
    instance->SetOnShowRequest([&main_window] { main_window.presenter().ShowFromOtherStart(); });
    app::TFSettings settings_window(loop, *startup.ConfigData, startup.Skin->ConfigWindow,
                                    main_window.presenter().settings(), &main_window);
    settings_window.SetDataToForm();
    main_window.SetSettingsWindow(&settings_window);
    main_window.show();
    const int code = QApplication::exec();
    startup.ConfigData.reset();
    return code;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        show_error(error.what());
        return 1;
    }
}
