#pragma once

#include <filesystem>
#include <string>

namespace launcher::publish {

// Which build a launcher executable is, read from its bytes without running
// it (a Windows launcher can be looked at on Linux): "Launcher build: 0.1.0
// (0b4ae69c1d2e)", or a line saying the file names no build.
std::string DescribeLauncherBuild(const std::filesystem::path& executable);

} // namespace launcher::publish
