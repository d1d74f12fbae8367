#include "cli/start_command.h"

#include "cli/client_start.h"
#include "cli/launcher_context.h"
#include "cli/terminal_view.h"
#include "command_line/utf8_options.h"
#include "config/language_table.h"
#include "launch/proxy_list.h"
#include "platform/plain_event_loop.h"

#include <iostream>
#include <memory>

namespace launcher::cli {

void add_start_command(CLI::App& app) {
    struct Options {
        std::optional<std::filesystem::path> folder;
        std::optional<std::string> proxy;
    };
    auto options = std::make_shared<Options>();
    auto* command = app.add_subcommand("start", "Choose the game proxy and start the game client");
    command_line::add_path_option(*command, "--folder", options->folder,
                                  "Game folder (default: the folder of this program)");
    command->add_option("--proxy", options->proxy,
                        "Proxy name, or auto, instead of the saved choice for this run");
    command->callback([options] {
        LauncherContext context = OpenLauncher(options->folder);
        tConfigData& config = *context.startup.ConfigData;
        if (options->proxy) {
            context.settings.SelProxy = *options->proxy;
            DeriveProxyIndex(context.settings, config);
        }

        TerminalView view(std::cout, std::cerr);
        platform::PlainEventLoop loop;
        ProxyProbe probe(loop);
        const std::string proxy_line =
            LoadProxyList(config, context.settings, probe, view, LanguageStrings());

        if (const int status = StartClient(context, proxy_line); status != 0)
            throw CLI::RuntimeError(status);
    });
}

} // namespace launcher::cli
