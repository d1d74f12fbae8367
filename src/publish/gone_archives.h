#pragma once

#include "catalogue/file_catalogue.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace launcher::publish {

// The list of archives being removed after a release changed, kept in the
// update-server folder until all of them are gone, so a publish killed in
// the middle leaves the rest to the next one.
inline constexpr std::string_view kGoneJournalName = "updater.lst.gone.publish-tmp";

// The names an unfinished removal left in its list; none when there is none.
std::vector<std::string> ReadGoneArchives(const std::filesystem::path& out_dir);

// Removes the archives of `names` that `catalogue` no longer lists (and the
// folders this leaves empty), never a file outside the archives; returns how
// many were removed.
std::size_t RemoveGoneArchives(const std::filesystem::path& out_dir,
                               const std::vector<std::string>& names, const TFileList& catalogue);

} // namespace launcher::publish
