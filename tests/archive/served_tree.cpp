#include "served_tree.h"

#include "catalogue/md5.h"
#include "platform/files.h"
#include "platform/text.h"
#include "support/temp_dir.h"
#include "update/packed_files.h"

namespace launcher::testing {

std::map<std::string, std::string> FolderContent(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    if (!std::filesystem::exists(folder))
        return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(folder).generic_string()] =
                platform::read_file_text(entry.path());
    return files;
}

TFileList ServedCatalogue(const std::filesystem::path& server) {
    TempDir scratch;
    std::filesystem::copy_file(server / "updater.lst.vdp", scratch / "$tmp.vdp");
    UnpackFile(scratch / "$tmp.vdp", scratch / "updater.lst");
    std::vector<std::string> lines;
    for (auto& line : platform::split_lines(platform::read_file_text(scratch / "updater.lst"))) {
        if (platform::trim(line).starts_with("#"))
            break;
        lines.push_back(line);
    }
    TFileList catalogue(true);
    catalogue.LoadFromStrings(lines);
    return catalogue;
}

std::string ServedTreeProblem(const std::filesystem::path& server) {
    for (const auto& [name, content] : FolderContent(server))
        if (name.ends_with(".publish-tmp"))
            return "a temporary file is left: " + name;
    const TFileList catalogue = ServedCatalogue(server);
    for (int id = 0; id < catalogue.Count(); ++id) {
        const auto& record = catalogue.GetItemByID(id)->Content;
        auto archive = platform::native_path(server, record.Name);
        archive += ".vdp";
        if (!std::filesystem::exists(archive))
            return record.Name + " has no archive";
        if (MD5File(archive) != record.HashPacked)
            return "the archive of " + record.Name + " is not the one the manifest names";
    }
    return {};
}

} // namespace launcher::testing
