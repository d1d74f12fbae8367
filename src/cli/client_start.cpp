#include "cli/client_start.h"

#include "launch/game_start.h"
#include "platform/process_start.h"
#include "platform/utf8_path.h"

#include <iostream>

namespace launcher::cli {

int StartClient(const LauncherContext& context, const std::string& proxy_line, std::ostream& out) {
    const tConfigData& config = *context.startup.ConfigData;
    GameStartRequest request;
    request.MainPath = context.launcher_folder;
    request.language_folder_list = config.Config.LangFolder;
    request.LangFolder = context.settings.LangFolder;
    request.UseProxy = config.ProxyServers.UseProxy;
    request.ProxyLine = proxy_line;
    // Through the shell with "runas" on Windows, as the client may need the
    // administrator's rights; as this user elsewhere.
    platform::DetachedProcessStarter starter(platform::Elevation::Elevated);
    const auto result = StartGameClient(request, starter);
    if (!result.error.empty()) {
        std::cerr << result.error << "\n";
        return 1;
    }
    out << "Started " << kClientExecutable << " in " << platform::utf8_of(result.working_folder);
    if (!result.parameter.empty())
        out << " with " << result.parameter;
    out << "\n";
    return 0;
}

} // namespace launcher::cli
