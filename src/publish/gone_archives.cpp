#include "publish/gone_archives.h"

#include "platform/durable_file.h"
#include "platform/files.h"
#include "platform/text.h"
#include "publish/release_names.h"
#include "publish/release_staging.h"

#include <set>

namespace launcher::publish {

std::vector<std::string> ReadGoneArchives(const std::filesystem::path& out_dir) {
    const auto journal = out_dir / kGoneJournalName;
    std::error_code error;
    if (!std::filesystem::is_regular_file(journal, error))
        return {};
    try {
        // A line cut short by a kill names at worst another archive that no
        // manifest names: one that should go as well.
        return platform::split_lines(platform::read_file_text(journal));
    } catch (const platform::FileError&) {
        return {};
    }
}

std::size_t RemoveGoneArchives(const std::filesystem::path& out_dir,
                               const std::vector<std::string>& names, const TFileList& catalogue) {
    std::set<std::string> current;
    for (int id = 0; id < catalogue.Count(); ++id)
        current.insert(catalogue.GetItemByID(id)->Content.Name);
    std::vector<std::string> gone;
    std::set<std::string> seen;
    for (const auto& name : names) {
        // Only archives below the folder, never a manifest.
        if (current.contains(name) || !seen.insert(name).second ||
            !ManifestNameProblem(name).empty())
            continue;
        const auto archive = ArchivePath(out_dir, name);
        std::error_code error;
        if (const auto* now = catalogue.GetItemByName(name);
            now != nullptr &&
            std::filesystem::equivalent(archive, ArchivePath(out_dir, now->Content.Name), error))
            continue; // the same file, its letter case changed on a server that ignores case
        if (std::filesystem::symlink_status(archive, error).type() ==
            std::filesystem::file_type::regular)
            gone.push_back(name);
    }
    const auto journal = out_dir / kGoneJournalName;
    if (gone.empty()) {
        std::error_code ignored;
        std::filesystem::remove(journal, ignored);
        return 0;
    }
    {
        const std::string text = platform::join_crlf(gone);
        platform::OutputFile list(journal);
        list.write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
        list.close();
    }
    std::size_t removed = 0;
    for (const auto& name : gone) {
        const auto archive = ArchivePath(out_dir, name);
        std::error_code error;
        if (std::filesystem::remove(archive, error)) {
            ++removed;
            RemoveEmptyFolders(archive.parent_path(), out_dir);
        }
    }
    std::filesystem::remove(journal);
    return removed;
}

} // namespace launcher::publish
