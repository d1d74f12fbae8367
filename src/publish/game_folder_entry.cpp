#include "publish/game_folder_entry.h"

#include "platform/utf8_path.h"

#include <algorithm>

namespace launcher::publish {
namespace {

using Use = GameFolderEntry::Use;
namespace fs = std::filesystem;

GameFolderEntry left_out(std::string why) {
    return {Use::LeftOut, {}, false, std::move(why)};
}

std::string not_a_file(fs::file_type type) {
    switch (type) {
    case fs::file_type::fifo:
        return "a named pipe (FIFO), which has no content to publish";
    case fs::file_type::socket:
        return "a socket, which has no content to publish";
    case fs::file_type::block:
    case fs::file_type::character:
        return "a device, which has no content to publish";
    default:
        return "not a regular file";
    }
}

bool inside(const fs::path& path, const fs::path& root) {
    return std::mismatch(root.begin(), root.end(), path.begin(), path.end()).first == root.end();
}

} // namespace

GameFolderEntry ClassifyGameFolderEntry(const fs::directory_entry& entry,
                                        const fs::path& game_root) {
    std::error_code error;
    const fs::file_status own = entry.symlink_status(error);
    if (error)
        return left_out("cannot be looked at: " + error.message());
    if (own.type() == fs::file_type::regular)
        return {Use::File, entry.path(), false, {}};
    if (own.type() == fs::file_type::directory)
        return {Use::Folder, entry.path(), false, {}};
    if (own.type() != fs::file_type::symlink)
        return left_out(not_a_file(own.type()));

    const fs::path target = fs::canonical(entry.path(), error);
    if (error)
        return left_out("a symbolic link whose target does not exist");
    const std::string shown = platform::utf8_of(target);
    if (!inside(target, game_root))
        return left_out("a symbolic link to " + shown + ", outside the game folder");
    const fs::file_status pointed = fs::status(target, error);
    if (error)
        return left_out("a symbolic link whose target cannot be looked at: " + error.message());
    if (pointed.type() == fs::file_type::directory)
        return left_out("a symbolic link to a folder (its files are published under their own "
                        "names)");
    if (pointed.type() != fs::file_type::regular)
        return left_out("a symbolic link to " + shown + ", " + not_a_file(pointed.type()));
    return {Use::File, target, true, {}};
}

std::string GameFolderReport(const std::vector<std::string>& left_out,
                             const std::vector<std::string>& copied_links) {
    std::string report;
    if (!left_out.empty()) {
        report += "Left out " + std::to_string(left_out.size()) +
                  (left_out.size() == 1
                       ? " entry of the game folder that a player cannot get as a file:\n"
                       : " entries of the game folder that a player cannot get as files:\n");
        for (const std::string& line : left_out)
            report += "  " + line + "\n";
    }
    if (!copied_links.empty()) {
        report +=
            "Published " + std::to_string(copied_links.size()) +
            (copied_links.size() == 1 ? " symbolic link as a copy of the file it points to:\n"
                                      : " symbolic links as copies of the files they point to:\n");
        for (const std::string& line : copied_links)
            report += "  " + line + "\n";
    }
    return report;
}

} // namespace launcher::publish
