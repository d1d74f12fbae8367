#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace launcher {

// True when a name from the manifest stays inside the game folder: it begins
// with one backslash (it is relative to the launcher folder), names a file,
// and has no ".." component, no drive letter or other ":" and no second
// leading separator. Both "\" and "/" count as separators, since either
// separates folders once the name reaches this file system.
bool IsSafeGameName(std::string_view name);

// A name of the manifest's removal section as a game name: the section's
// names are taken below the launcher folder whether or not they begin with a
// backslash ("system\old.dll" is "\system\old.dll"). None when the name is
// empty or leaves the game folder.
std::optional<std::string> RemovalGameName(std::string_view name);

// The address of a game file's packed archive: `base` followed by the name
// without its leading backslash, with "/" between folders, every byte
// outside the unreserved characters of RFC 3986 percent-encoded (so blanks,
// "#", "%", "?" and non-ASCII letters reach the server as they are named),
// and ".vdp".
std::string PackedFileAddress(std::string_view base, std::string_view name);

// The path of a game name below `base`. When no file has exactly that name,
// each component is matched without regard to letter case, so that the
// lower-cased names of the check and removal sections find files the
// catalogue spelled in mixed case on a case-sensitive file system.
std::filesystem::path ResolveGamePath(const std::filesystem::path& base, std::string_view name);

} // namespace launcher
