// The windowed launcher: start-up, the single-instance rule, the main window
// and the message loop.
#include "app/main_window.h"
#include "app/news_browser.h"
#include "app/qt_event_loop.h"
#include "app/settings_window.h"
#include "app/single_instance.h"
#include "config/startup.h"
#include "front/skipped_images.h"
#include "platform/files.h"
#include "version/version_line.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>
#include <iostream>
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

    StartupState startup;
    try {
        startup = RunStartup(arguments_of(argc, argv), {}, launcher_version_line());
    } catch (const std::exception& error) {
        show_error(error.what());
        return 1;
    }

    front::ReportSkippedImages(startup);

    const auto instance = app::SingleInstance::Claim(QString::fromStdString(startup.InstanceTitle));
    if (!instance)
        return 0;

    if (startup.Skin->MainWindow.BackGroundImage.image.empty()) {
        show_error("Sorry! Not found the config");
        return 0;
    }

    app::QtEventLoop loop;
    app::MainWindowSetup setup;
    setup.self_executable = platform::executable_path();
    setup.MainPath = setup.self_executable.parent_path();
    setup.arguments = arguments_of(argc, argv);
    app::TFMain main_window(loop, startup, setup);
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
