#pragma once

#include "catalogue/file_catalogue.h"

#include <filesystem>
#include <string>
#include <vector>

namespace launcher::publish {

// What an update-server folder holds from earlier publishes.
struct PreviousRelease {
    // The catalogue of the packed manifest players are served; empty when
    // there is none or it cannot be decoded.
    TFileList served{true};
    // Every name that a manifest in the folder lists, the staged ones of an
    // unfinished publish and the list of an unfinished removal included:
    // whatever archives may lie there.
    std::vector<std::string> names;
    // Staged manifests were left: a publish may have stopped after renaming
    // some of its archives, so a served archive may not be the one the
    // served manifest describes.
    bool interrupted = false;
};

PreviousRelease ReadPreviousRelease(const std::filesystem::path& out_dir);

} // namespace launcher::publish
