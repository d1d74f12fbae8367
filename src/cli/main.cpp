#include "cli/fetch_command.h"

#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
    CLI::App app{"The launcher's update workflow without a window", "launcher-cli"};
    app.require_subcommand(1);
    launcher::cli::add_fetch_command(app);
    CLI11_PARSE(app, argc, argv);
    return 0;
}
