#include "launch/client_folder.h"

#include "platform/text.h"

namespace launcher {

std::string ClientFolderFor(std::string_view language_folder_list, std::string_view lang_folder) {
    std::string folder(kDefaultClientFolder);
    std::string_view rest = language_folder_list;
    while (!rest.empty()) {
        // An entry without ";" has an empty name and its whole text as folder.
        const std::size_t semicolon = rest.find(';');
        std::string name;
        if (semicolon != std::string_view::npos) {
            name = platform::trim(rest.substr(0, semicolon));
            rest.remove_prefix(semicolon + 1);
        }
        const std::size_t bar = rest.find('|');
        const std::string_view pair_folder = rest.substr(0, bar);
        rest.remove_prefix(bar == std::string_view::npos ? rest.size() : bar + 1);
        if (name == lang_folder)
            folder = platform::trim(pair_folder);
    }
    return folder;
}

} // namespace launcher
