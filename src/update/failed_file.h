#pragma once

#include <string>

namespace launcher {

// A file of the work list that could not be installed: the old file, when
// there was one, is still in place.
struct FailedFile {
    std::string name;          // the game name, "\system\jux.ini"
    std::string reason;        // what went wrong, in words
    bool disk_problem = false; // the player's own disk, not the server, was at fault
};

} // namespace launcher
