#include "cli/start_command.h"

#include "cli/cli_version.h"
#include "cli/client_start.h"
#include "cli/json_view.h"
#include "cli/launcher_context.h"
#include "cli/terminal_view.h"
#include "cli/view_pair.h"
#include "command_line/json_events.h"
#include "command_line/utf8_options.h"
#include "config/language_table.h"
#include "launch/proxy_list.h"
#include "platform/plain_event_loop.h"

#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

namespace launcher::cli {

void add_start_command(CLI::App& app) {
    struct Options {
        std::optional<std::filesystem::path> folder;
        std::optional<std::string> proxy;
        bool json = false;
    };
    auto options = std::make_shared<Options>();
    auto* command = app.add_subcommand("start", "Choose the game proxy and start the game client");
    command_line::add_path_option(*command, "--folder", options->folder,
                                  "Game folder (default: the folder of this program)");
    command->add_option("--proxy", options->proxy,
                        "Proxy name, or auto, instead of the saved choice for this run");
    command->add_flag("--json", options->json,
                      "Write one JSON object per line on standard output for every event "
                      "(human text goes to standard error)");
    command->callback([options] {
        std::ostream& human = options->json ? std::cerr : std::cout;
        command_line::JsonEventStream events(std::cout);
        if (options->json)
            events.begin(CliVersionLine(), "start");
        LauncherContext context = OpenLauncher(options->folder);
        tConfigData& config = *context.startup.ConfigData;
        if (options->proxy) {
            context.settings.SelProxy = *options->proxy;
            DeriveProxyIndex(context.settings, config);
        }

        TerminalView terminal(human, std::cerr);
        JsonView json_view(events);
        ViewPair both(terminal, json_view);
        LauncherView& view = options->json ? static_cast<LauncherView&>(both) : terminal;
        platform::PlainEventLoop loop;
        ProxyProbe probe(loop);
        const std::string proxy_line =
            LoadProxyList(config, context.settings, probe, view, LanguageStrings());

        const int status = StartClient(context, proxy_line, human);
        if (options->json)
            events.write({{"event", "summary"},
                          {"result", status == 0 ? "started" : "start_failed"},
                          {"exit_status", status}});
        if (status != 0)
            throw CLI::RuntimeError(status);
    });
}

} // namespace launcher::cli
