#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace launcher {

// A library and the version of it the program runs with.
using LibraryVersion = std::pair<std::string, std::string>;

// The libraries of the core as loaded at run time: libcurl, libarchive,
// libsodium and bzip2.
std::vector<LibraryVersion> CoreLibraryVersions();

// One line that tells a support desk which program this is: the program's
// name, the build version, and each library as name/version, for instance
// "launcher-cli 0.1.0 (0b4ae69c1d2e) libcurl/7.88.1 libarchive/3.6.2
// libsodium/1.0.18 bzip2/1.0.8". `--version` prints it and the debug log
// starts with it. `more` adds libraries only one program links (Qt).
std::string VersionLine(std::string_view program, const std::vector<LibraryVersion>& more = {});

} // namespace launcher
