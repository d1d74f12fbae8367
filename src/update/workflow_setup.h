#pragma once

#include "update/update_workflow.h"

#include <filesystem>
#include <optional>

namespace launcher {

// The workflow's setup for the launcher in `launcher_folder`, running as
// `executable` (its file name counts), with packed files copied from
// `file_mode_folder` when one is given.
UpdateWorkflowSetup
MakeWorkflowSetup(const std::filesystem::path& launcher_folder,
                  const std::filesystem::path& executable,
                  std::optional<std::filesystem::path> file_mode_folder = std::nullopt);

// A launcher that replaced itself leaves the previous executable as ".bak";
// the next start removes it. A failure is left alone: the file is only in
// the way of the next replacement, which removes it again.
void RemoveLeftBackup(const std::filesystem::path& launcher_folder,
                      const std::filesystem::path& executable);

} // namespace launcher
