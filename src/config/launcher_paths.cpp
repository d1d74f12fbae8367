#include "config/launcher_paths.h"

#include "platform/utf8_path.h"

namespace launcher {

std::filesystem::path FileModeFolderPath(std::string folder) {
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    return std::filesystem::absolute(platform::path_from_utf8(folder));
}

std::string WithoutLauncherFolder(std::string text, const std::filesystem::path& MainPath) {
    std::string folder = platform::utf8_of(MainPath);
    if (folder.empty())
        return text;
    if (folder.back() != '/' && folder.back() != '\\')
        folder += std::filesystem::path::preferred_separator == L'\\' ? '\\' : '/';
    for (std::size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at))
        text.erase(at, folder.size());
    return text;
}

} // namespace launcher
