#include "cli/cli_version.h"
#include "cli/config_command.h"
#include "cli/fetch_command.h"
#include "cli/start_command.h"
#include "cli/update_command.h"
#include "command_line/utf8_options.h"
#include "platform/stop_request.h"

#include <CLI/CLI.hpp>

// The launcher without a window: the same core, driven from a terminal.
int main(int argc, char** argv) {
    // SIGTERM, SIGINT, SIGHUP (console events on Windows) end a run with its
    // own status after it removed its temporary files.
    launcher::platform::catch_stop_requests();
    CLI::App app{"Game launcher without a window", "launcher-cli"};
    app.set_version_flag("--version", launcher::cli::CliVersionLine(),
                         "Show the version of the program and its libraries");
    app.require_subcommand(1);
    launcher::cli::add_config_command(app);
    launcher::cli::add_fetch_command(app);
    launcher::cli::add_start_command(app);
    launcher::cli::add_update_commands(app);
    if (const auto status = launcher::command_line::parse_own_arguments(app, argc, argv))
        return *status;
    return 0;
}
