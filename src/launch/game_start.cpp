#include "launch/game_start.h"

#include "launch/client_folder.h"
#include "launch/proxy_entry.h"
#include "platform/files.h"

namespace launcher {
namespace {

// Copies the proxy's settings over the client's. The copy lands under a
// temporary name first, so a failed copy leaves the old jux.ini in place.
void replace_client_settings(const std::filesystem::path& proxy_file,
                             const std::filesystem::path& client_settings) {
    try {
        const std::string content = platform::read_file_text(proxy_file);
        platform::write_file_atomic(client_settings, content);
    } catch (const platform::FileError&) {
        // The client still starts, with its previous settings.
    }
}

} // namespace

GameStartResult StartGameClient(const GameStartRequest& request,
                                platform::ProcessStarter& starter) {
    const std::string client_folder =
        ClientFolderFor(request.language_folder_list, request.LangFolder);
    GameStartResult result;
    result.working_folder = platform::native_path(request.MainPath, client_folder);

    if (request.UseProxy && !request.ProxyLine.empty()) {
        result.parameter = ParseProxyEntry(request.ProxyLine).file;
        const auto proxy_file = platform::native_path(result.working_folder, result.parameter);
        std::error_code error;
        if (!result.parameter.empty() && std::filesystem::is_regular_file(proxy_file, error))
            replace_client_settings(proxy_file, result.working_folder / kClientSettingsFile);
    }

    // An empty parameter text means no argument at all, as on the original shell.
    std::vector<std::string> arguments;
    if (!result.parameter.empty())
        arguments.push_back(result.parameter);
    result.error =
        starter.start(result.working_folder / kClientExecutable, arguments, result.working_folder);
    return result;
}

} // namespace launcher
