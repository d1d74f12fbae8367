// The windowed launcher on Windows: start-up, the single-instance rule, the
// main window and the settings window, and the message loop.
#include "app_win32/main_window.h"
#include "app_win32/settings_window.h"
#include "app_win32/single_instance.h"
#include "app_win32/win32_event_loop.h"
#include "config/language_table.h"
#include "config/player_choices.h"
#include "config/startup.h"
#include "front/skipped_images.h"
#include "platform/files.h"
#include "platform/own_process.h"
#include "platform/stop_request.h"
#include "platform/system_language.h"
#include "platform/win32/win32_text.h"
#include "update/game_folder_lock.h"
#include "version/version_line.h"

#include <commctrl.h>
#include <exception>
#include <iostream>
#include <ole2.h>
#include <optional>
#include <string>
#include <vector>

namespace {

void show_error(const std::string& text) {
    ::MessageBoxW(nullptr, launcher::platform::win32::wide(text).c_str(), L"",
                  MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

// The browser control and the shell's functions need the thread in a
// single-threaded apartment.
class OleSession {
public:
    OleSession() : ready_(SUCCEEDED(::OleInitialize(nullptr))) {}
    ~OleSession() {
        if (ready_)
            ::OleUninitialize();
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;

private:
    bool ready_;
};

int run() {
    using namespace launcher;
    // Console control events (when started from one) end the launcher after
    // its run removed its temporary files.
    platform::catch_stop_requests();
    std::vector<std::string> arguments = platform::own_command_line();
    if (!arguments.empty())
        arguments.erase(arguments.begin());
    // A window program has no console to print to: the version shows in a box.
    if (!arguments.empty() && arguments.front() == "--version") {
        const std::string line = VersionLine("launcher");
        std::cout << line << "\n";
        ::MessageBoxW(nullptr, platform::win32::wide(line).c_str(), L"",
                      MB_OK | MB_ICONINFORMATION);
        return 0;
    }

    StartupState startup;
    try {
        startup = RunStartup(arguments, {}, VersionLine("launcher"));
    } catch (const std::exception& error) {
        show_error(error.what());
        return 1;
    }
    front::ReportSkippedImages(startup);

    if (app::BringRunningInstanceForward(platform::win32::wide(startup.InstanceTitle)))
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

    const OleSession ole;
    INITCOMMONCONTROLSEX common{sizeof common, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&common);

    app::Win32EventLoop loop;
    app::MainWindowSetup setup;
    setup.self_executable = platform::executable_path();
    setup.MainPath = launcher_folder;
    setup.arguments = arguments;
    app::TFMain main_window(loop, startup, setup);
    main_window.SetDataToForm();
    if (startup.command_line.DebugMode)
        main_window.presenter().SetDebugFile(startup.DebugFile.get());
    main_window.SetCaption(startup.InstanceTitle);
    if (!startup.ConfigData->Config.TrayHint.empty())
        main_window.SetTrayHint(startup.ConfigData->Config.TrayHint);
    app::TFSettings settings_window(loop, *startup.ConfigData, startup.Skin->ConfigWindow,
                                    main_window.presenter().settings(), main_window.window());
    settings_window.SetDataToForm();
    main_window.SetSettingsWindow(&settings_window);
    main_window.Show();
    const int code = loop.Run();
    startup.ConfigData.reset();
    return code;
}

} // namespace

int main() {
    try {
        return run();
    } catch (const std::exception& error) {
        show_error(error.what());
        return 1;
    }
}
