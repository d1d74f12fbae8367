#pragma once

#include "cli/launcher_context.h"

#include <string>

namespace launcher::cli {

// Starts the game client as the start button does, with the chosen proxy
// entry (or none), and says what happened. Returns the exit status.
int StartClient(const LauncherContext& context, const std::string& proxy_line);

} // namespace launcher::cli
