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
    // cannot be read and platform::StreamReadError for a damaged skin; images
    // that do not decode are left out and listed by the window skins.
    void LoadFromFile(const std::filesystem::path& filename);
};

} // namespace launcher
