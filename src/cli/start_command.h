#pragma once

#include <CLI/CLI.hpp>

namespace launcher::cli {

// `launcher-cli start [--folder DIR] [--proxy NAME|auto]`: probes the game
// proxies as the launcher does after an update, then starts the game client.
void add_start_command(CLI::App& app);

} // namespace launcher::cli
