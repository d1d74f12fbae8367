#include "publish/gone_archives.h"

#include "platform/files.h"
#include "platform/text.h"
#include "publish/release_names.h"
#include "publish/release_staging.h"

#include <set>

namespace launcher::publish {
namespace {

// Whether the served archive of `name` is no longer needed and can go.
bool archive_is_gone(const std::filesystem::path& out_dir, const std::string& name,
                     const std::set<std::string>& current, const TFileList& catalogue) {
    // Only archives below the folder, never a manifest.
    if (current.contains(name) || !ManifestNameProblem(name).empty())
        return false;
    const auto archive = ArchivePath(out_dir, name);
    std::error_code error;
    if (const auto* now = catalogue.GetItemByName(name);
        now != nullptr &&
        std::filesystem::equivalent(archive, ArchivePath(out_dir, now->Content.Name), error))
        return false; // the same file, its letter case changed on a server that ignores case
    return std::filesystem::symlink_status(archive, error).type() ==
           std::filesystem::file_type::regular;
}

std::set<std::string> names_of(const TFileList& catalogue) {
    std::set<std::string> names;
    for (int id = 0; id < catalogue.Count(); ++id)
        names.insert(catalogue.GetItemByID(id)->Content.Name);
    return names;
}

} // namespace

std::vector<std::string> ReadGoneList(const std::filesystem::path& out_dir) {
    const auto list = out_dir / kGoneListName;
    std::error_code error;
    if (!std::filesystem::is_regular_file(list, error))
        return {};
    try {
        // A line cut short by a kill names at worst another archive that the
        // release does not name: one that should go as well.
        return platform::split_lines(platform::read_file_text(list));
    } catch (const platform::FileError&) {
        return {};
    }
}

std::vector<std::string> GoneNames(const std::filesystem::path& out_dir,
                                   const std::vector<std::string>& names,
                                   const TFileList& catalogue) {
    const auto current = names_of(catalogue);
    std::set<std::string> seen;
    std::vector<std::string> gone;
    for (const auto& name : names)
        if (seen.insert(name).second && archive_is_gone(out_dir, name, current, catalogue))
            gone.push_back(name);
    return gone;
}

std::size_t RemoveGoneArchives(const std::filesystem::path& out_dir, const TFileList& catalogue) {
    const auto current = names_of(catalogue);
    std::size_t removed = 0;
    for (const auto& name : ReadGoneList(out_dir)) {
        if (!archive_is_gone(out_dir, name, current, catalogue))
            continue;
        const auto archive = ArchivePath(out_dir, name);
        std::error_code error;
        if (std::filesystem::remove(archive, error)) {
            ++removed;
            RemoveEmptyFolders(archive.parent_path(), out_dir);
        }
    }
    std::filesystem::remove(out_dir / kGoneListName);
    return removed;
}

} // namespace launcher::publish
