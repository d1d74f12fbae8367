#pragma once

#include "version/version_line.h"

#include <string>

namespace launcher::cli {

// What `launcher-cli --version` prints and its debug log starts with.
inline std::string CliVersionLine() {
    return VersionLine("launcher-cli");
}

} // namespace launcher::cli
