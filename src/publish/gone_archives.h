#pragma once

#include "catalogue/file_catalogue.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace launcher::publish {

// The names of archives to remove once the new release is served. It is
// written with the staged manifests and removed when the last of them is
// gone, so a publish killed in the middle leaves the rest to the next one;
// removing only ever follows a completed release, and only archives that
// release does not name, so a list that outlives its publish is harmless.
inline constexpr std::string_view kGoneListName = "updater.lst.gone.publish-tmp";

// The names a list left in the folder holds; none when there is none.
std::vector<std::string> ReadGoneList(const std::filesystem::path& out_dir);

// Of `names` (every name a manifest in the folder lists), those whose
// archives `catalogue` no longer needs.
std::vector<std::string> GoneNames(const std::filesystem::path& out_dir,
                                   const std::vector<std::string>& names,
                                   const TFileList& catalogue);

// Removes the archives the list names that `catalogue`, the release now
// served, does not name (and the folders this leaves empty), never a file
// outside the archives, then the list; returns how many were removed.
std::size_t RemoveGoneArchives(const std::filesystem::path& out_dir, const TFileList& catalogue);

} // namespace launcher::publish
