#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace launcher::publish {

// What a publish makes of one entry of the game folder. A player's launcher
// installs regular files only, so anything else is either published as a
// copy of the file it stands for or left out, and the publisher is told
// which.
struct GameFolderEntry {
    enum class Use {
        File,    // published: a regular file, or a link to one inside the game folder
        Folder,  // walked into
        LeftOut, // not published; `why` says why
    };
    Use use = Use::LeftOut;
    // The file whose content is published: the entry itself, or the target
    // of a link.
    std::filesystem::path content;
    bool through_link = false;
    std::string why;
};

// `game_root` is the game folder as `std::filesystem::canonical` gives it.
// A link is followed only to a regular file inside the game folder: its
// content is published anyway, so nothing the publisher did not mean to
// publish gets out, and the player gets the file the game expects at that
// name. A link that leads out of the game folder (it could publish private
// files), one whose target is gone, one to a folder (its files are
// published under their own names) and pipes, sockets and devices (they
// have no content to read) are left out.
GameFolderEntry ClassifyGameFolderEntry(const std::filesystem::directory_entry& entry,
                                        const std::filesystem::path& game_root);

// The lines that tell the publisher what was left out ("NAME: why") and which
// links were published as copies ("NAME -> TARGET"); empty when neither.
std::string GameFolderReport(const std::vector<std::string>& left_out,
                             const std::vector<std::string>& copied_links);

} // namespace launcher::publish
