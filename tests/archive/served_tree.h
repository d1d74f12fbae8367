#pragma once

#include "catalogue/file_catalogue.h"

#include <filesystem>
#include <map>
#include <string>

namespace launcher::testing {

// Every file below `folder` with its content, by relative path ("a/b.txt").
std::map<std::string, std::string> FolderContent(const std::filesystem::path& folder);

// The catalogue of the packed manifest an update-server folder serves,
// unpacked by the launcher's own routine as a player's launcher unpacks it.
TFileList ServedCatalogue(const std::filesystem::path& server);

// Why the served tree is not what a player can install from (a catalogue
// file without its archive, an archive whose MD5 is not its packed hash, a
// temporary file of a publish), or an empty text.
std::string ServedTreeProblem(const std::filesystem::path& server);

} // namespace launcher::testing
