#pragma once

#include <filesystem>

namespace launcher::platform {

// Whether the file (a link is followed) is one its owner may run as a
// program. Always false where files carry no such bit (Windows), and for a
// file that cannot be looked at.
bool is_executable(const std::filesystem::path& path);

// Lets whoever may read the regular file at `path` also run it, as
// `chmod +x` does; a link at the name is not followed. Does nothing where
// files carry no such bit. Throws FileError when the file cannot be changed.
void set_executable(const std::filesystem::path& path);

} // namespace launcher::platform
