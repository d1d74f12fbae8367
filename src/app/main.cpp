// The windowed launcher: start-up, the main window and the message loop.
#include "app/main_window.h"
#include "app/qt_event_loop.h"
#include "app/settings_window.h"
#include "config/startup.h"
#include "platform/files.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> arguments_of(int argc, char** argv) {
    return {argv + std::min(argc, 1), argv + argc};
}

int run(int argc, char** argv) {
    using namespace launcher;
    // The browser engine refuses to run its sandbox as root.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    StartupState startup;
    try {
        startup = RunStartup(arguments_of(argc, argv));
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QString(), QString::fromStdString(error.what()));
        return 1;
    }
    if (startup.Skin->MainWindow.BackGroundImage.image.empty()) {
        QMessageBox::critical(nullptr, QString(), "Sorry! Not found the config");
        return 0;
    }

    app::QtEventLoop loop;
    app::MainWindowSetup setup;
    setup.self_executable = platform::executable_path();
    setup.MainPath = setup.self_executable.parent_path();
    app::TFMain main_window(loop, startup, setup);
    main_window.SetDataToForm();
    if (startup.command_line.DebugMode)
        main_window.SetDebugFile(startup.DebugFile.get());
    main_window.setWindowTitle(QString::fromStdString(startup.InstanceTitle));
    app::TFSettings settings_window(*startup.ConfigData, startup.Skin->ConfigWindow,
                                    main_window.settings(), &main_window);
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
        QMessageBox::critical(nullptr, QString(), QString::fromStdString(error.what()));
        return 1;
    }
}
