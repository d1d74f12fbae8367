#pragma once

#include "cli/launcher_context.h"

#include <iostream>
#include <string>

namespace launcher::cli {

// Starts the game client as the start button does, with the chosen proxy
// entry (or none), and says what happened. Returns the exit status.
// What it says goes to `out` (standard error under --json).
int StartClient(const LauncherContext& context, const std::string& proxy_line,
                std::ostream& out = std::cout);

} // namespace launcher::cli
