#include "cli/start_command.h"

#include "cli/launcher_context.h"
#include "cli/terminal_view.h"
#include "config/language_table.h"
#include "launch/game_start.h"
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
    command->add_option("--folder", options->folder,
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

        GameStartRequest request;
        request.MainPath = context.launcher_folder;
        request.language_folder_list = config.Config.LangFolder;
        request.LangFolder = context.settings.LangFolder;
        request.UseProxy = config.ProxyServers.UseProxy;
        request.ProxyLine = proxy_line;
        platform::DetachedProcessStarter starter;
        const auto result = StartGameClient(request, starter);
        if (!result.error.empty()) {
            std::cerr << result.error << "\n";
            throw CLI::RuntimeError(1);
        }
        std::cout << "Started " << kClientExecutable << " in " << result.working_folder.string();
        if (!result.parameter.empty())
            std::cout << " with " << result.parameter;
        std::cout << "\n";
    });
}

} // namespace launcher::cli
