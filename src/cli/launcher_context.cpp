#include "cli/launcher_context.h"

#include "cli/cli_version.h"
#include "config/language_table.h"
#include "config/player_choices.h"
#include "platform/files.h"
#include "platform/system_language.h"
#include "update/game_folder_lock.h"

#include <iostream>

#include <CLI/CLI.hpp>

namespace launcher::cli {

LauncherContext OpenLauncher(const std::optional<std::filesystem::path>& folder,
                             const std::vector<std::string>& arguments) {
    LauncherContext context;
    try {
        context.startup = RunStartup(arguments, {}, CliVersionLine());
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        throw CLI::RuntimeError(1);
    }
    if (context.startup.Skin->MainWindow.BackGroundImage.image.empty()) {
        std::cerr << "Sorry! Not found the config\n";
        throw CLI::RuntimeError(1);
    }
    context.launcher_folder =
        folder ? std::filesystem::absolute(*folder) : platform::executable_path().parent_path();
    try {
        context.folder_lock = LockGameFolderAtStart(context.launcher_folder);
        if (!context.folder_lock) {
            std::cerr << FolderBusyMessage(context.launcher_folder) << "\n";
            throw CLI::RuntimeError(1);
        }
    } catch (const platform::FileError&) {
        // A folder where no lock file can be made cannot be written by any
        // run either: the run goes on and names the problem where it meets it.
    }
    context.settings =
        LoadPlayerChoices(UpdaterFolder(context.launcher_folder), *context.startup.ConfigData,
                          LanguageStrings(), platform::system_default_language_id());
    return context;
}

} // namespace launcher::cli
