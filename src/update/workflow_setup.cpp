#include "update/workflow_setup.h"

namespace launcher {

UpdateWorkflowSetup MakeWorkflowSetup(const std::filesystem::path& launcher_folder,
                                      const std::filesystem::path& executable,
                                      std::optional<std::filesystem::path> file_mode_folder) {
    UpdateWorkflowSetup setup;
    setup.MainPath = launcher_folder;
    setup.self_executable = launcher_folder / executable.filename();
    if (file_mode_folder) {
        setup.FileModeActive = true;
        setup.FileModeFolder = std::move(*file_mode_folder);
    }
    return setup;
}

void RemoveLeftBackup(const std::filesystem::path& launcher_folder,
                      const std::filesystem::path& executable) {
    std::error_code ignored;
    std::filesystem::remove(BackupPathOf(launcher_folder / executable.filename()), ignored);
}

} // namespace launcher
