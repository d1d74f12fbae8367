#pragma once

namespace CLI {
class App;
}

namespace launcher::cli {

// `update` brings the game folder up to date as the launcher does at start
// (server selection, manifest, required-file check, updating, proxy probe);
// `check` goes on with the full check of every other file. Both exit 0 when
// the game may be started. Common options: --folder, --debug, --file-mode,
// --check-mode, --drive; `update --start` starts the game client afterwards.
void add_update_commands(CLI::App& app);

} // namespace launcher::cli
