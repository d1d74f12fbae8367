#pragma once

#include "skin/skin_blocks.h"
#include "skin/skin_windows.h"

#include <filesystem>

namespace launcher {

// The skin root: both window skins, read once at start-up.
class TqorConfig {
public:
    TqorMainWindow MainWindow;
    TqorConfigWindow ConfigWindow;
    // Extra text lines; filled only by LoadFromFile.
    StringList CfgParameters;

    // Reads both window parts from the start of the file, then takes the rest
    // of the file as text lines. Throws platform::FileError when the file
    // cannot be read, platform::StreamReadError or InvalidImageError for a
    // damaged skin.
    void LoadFromFile(const std::filesystem::path& filename);
};

} // namespace launcher
