#pragma once

#include <filesystem>
#include <string>

namespace launcher {

// The folder given by "filemode=FOLDER": its trailing separators removed,
// made absolute on this platform's path form.
std::filesystem::path FileModeFolderPath(std::string folder);

// `text` with every mention of the launcher folder (and the separator after
// it) left out: paths inside the launcher folder read shorter without it, as
// the player knows them ("system/jux.exe").
std::string WithoutLauncherFolder(std::string text, const std::filesystem::path& MainPath);

} // namespace launcher
