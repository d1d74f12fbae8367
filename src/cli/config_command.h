#pragma once

#include <CLI/CLI.hpp>

namespace launcher::cli {

// `launcher-cli config [--debug]`: runs start-up on this executable and
// prints the decoded configuration and a summary of the skin.
void add_config_command(CLI::App& app);

} // namespace launcher::cli
