#include "publish/release_publisher.h"

#include "catalogue/catalogue_line.h"
#include "catalogue/date_time.h"
#include "catalogue/file_catalogue.h"
#include "catalogue/md5.h"
#include "config/config_package.h"
#include "platform/files.h"
#include "platform/glob_match.h"
#include "platform/text.h"

#include <algorithm>

#include <utf8proc.h>

namespace launcher::publish {
namespace {

struct GameFile {
    std::filesystem::path path;
    std::string relative; // with "/" separators, for exclusion patterns
    std::string name;     // as the manifest writes it
    std::int64_t size = 0;
    TDateTime date = 0.0;
};

bool excluded(const std::string& relative, const std::vector<std::string>& globs) {
    const std::string file_name = std::filesystem::path(relative).filename().string();
    return std::any_of(globs.begin(), globs.end(), [&](const std::string& glob) {
        return platform::glob_match(glob, relative) || platform::glob_match(glob, file_name);
    });
}

std::vector<GameFile> list_game_files(const PublishOptions& options) {
    std::vector<GameFile> files;
    std::error_code error;
    auto it = std::filesystem::recursive_directory_iterator(options.game_dir, error);
    if (error)
        throw PublishError("Cannot read the game folder " + options.game_dir.string() + ": " +
                           error.message());
    for (; it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (error)
            throw PublishError("Cannot read the game folder: " + error.message());
        if (!it->is_regular_file(error) || it->is_symlink(error))
            continue;
        const auto relative = std::filesystem::relative(it->path(), options.game_dir);
        const std::string relative_text = relative.generic_string();
        if (excluded(relative_text, options.exclude_globs))
            continue;
        const auto info = platform::file_status(it->path());
        if (!info)
            throw PublishError("Cannot read " + it->path().string());
        files.push_back({it->path(), relative_text, ManifestName(relative),
                         static_cast<std::int64_t>(info->size),
                         local_date_time_from_file_time(info->modified)});
    }
    std::sort(files.begin(), files.end(),
              [](const GameFile& a, const GameFile& b) { return a.relative < b.relative; });
    return files;
}

// A name given for the check or removal section: "\\system\\jux.ini" or "system/jux.ini".
std::string section_name(std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    return ManifestName(std::filesystem::path(name).relative_path());
}

std::filesystem::path archive_path(const std::filesystem::path& out_dir, std::string_view name) {
    std::filesystem::path path = platform::native_path(out_dir, name);
    path += ".vdp";
    return path;
}

// The manifest: catalogue lines, then "#" and the check section, then "@"
// and the removal section when there are any.
std::string manifest_text(const TFileList& catalogue, const PublishOptions& options) {
    std::vector<std::string> lines;
    catalogue.SaveToStrings(&lines);
    if (!options.check_names.empty() || !options.remove_names.empty()) {
        lines.emplace_back("#");
        for (const auto& name : options.check_names)
            lines.push_back(section_name(name));
    }
    if (!options.remove_names.empty()) {
        lines.emplace_back("@");
        for (const auto& name : options.remove_names)
            lines.push_back(section_name(name));
    }
    return platform::join_crlf(lines);
}

TFileList previous_release(const std::filesystem::path& out_dir) {
    TFileList previous(true);
    const auto manifest = out_dir / kManifestName;
    std::error_code error;
    if (!std::filesystem::exists(manifest, error))
        return previous;
    // Only the catalogue section: lines up to the first that begins with "#".
    std::vector<std::string> lines;
    for (auto& line :
         platform::split_lines(platform::decode_text(platform::read_file_text(manifest)))) {
        if (platform::trim(line).starts_with("#"))
            break;
        lines.push_back(std::move(line));
    }
    previous.LoadFromStrings(lines);
    return previous;
}

void remove_empty_folders(const std::filesystem::path& folder, const std::filesystem::path& top) {
    std::error_code error;
    for (auto current = folder; current != top && current.has_parent_path();
         current = current.parent_path()) {
        if (!std::filesystem::is_empty(current, error) || error)
            return;
        std::filesystem::remove(current, error);
    }
}

} // namespace

std::string ManifestName(const std::filesystem::path& relative) {
    std::string name;
    for (const auto& part : relative) {
        const std::string text = part.string();
        if (text.empty() || text == "." || text == ".." || text == "/")
            throw PublishError("The name " + relative.string() + " leaves the game folder");
        name += '\\';
        name += text;
    }
    if (name.empty())
        throw PublishError("An empty name cannot be published");
    const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(name.data());
    for (std::size_t i = 0; i < name.size();) {
        utf8proc_int32_t code = 0;
        const auto length =
            utf8proc_iterate(bytes + i, static_cast<utf8proc_ssize_t>(name.size() - i), &code);
        if (length <= 0)
            throw PublishError("The name " + relative.string() + " is not valid UTF-8");
        if (code < 0x20 || code == 0x7F)
            throw PublishError("The name " + relative.string() + " holds a control character");
        if (code == '|')
            throw PublishError("The name " + relative.string() + " holds a \"|\"");
        i += static_cast<std::size_t>(length);
    }
    if (name.back() == ' ')
        throw PublishError("The name " + relative.string() + " ends with a blank");
    return name;
}

PublishSummary PublishRelease(const PublishOptions& options, const PublishProgress& progress) {
    const auto files = list_game_files(options);
    if (files.empty())
        throw PublishError("The game folder " + options.game_dir.string() + " holds no files");
    std::filesystem::create_directories(options.out_dir);
    const TFileList previous = previous_release(options.out_dir);

    PublishSummary summary;
    TFileList catalogue(false); // in folder order
    for (const auto& file : files) {
        const auto archive = archive_path(options.out_dir, file.name);
        const TFileItem* before = previous.GetItemByName(file.name);
        std::error_code error;
        const bool archive_kept = before != nullptr && std::filesystem::exists(archive, error);

        std::string hash;
        std::string hash_packed;
        if (archive_kept && before->Content.Size == file.size &&
            before->Content.Date == file.date) {
            hash = before->Content.Hash; // unchanged since the last release
            hash_packed = before->Content.HashPacked;
        } else {
            hash = MD5File(file.path);
            if (archive_kept && before->Content.Hash == hash) {
                hash_packed = before->Content.HashPacked; // touched, not changed
            } else {
                std::filesystem::create_directories(archive.parent_path());
                WritePackedArchive(options.format, file.path, file.path.filename().string(),
                                   archive);
                hash_packed = MD5File(archive);
                ++summary.packed;
            }
        }
        catalogue.AddItemSimple(file.name, hash, hash_packed, file.size, file.date);
        ++summary.files;
        if (progress)
            progress(file.relative, summary.files, files.size());
    }
    summary.reused = summary.files - summary.packed;

    // Archives of files that left the game.
    for (int id = 0; id < previous.Count(); ++id) {
        const auto& name = previous.GetItemByID(id)->Content.Name;
        if (catalogue.GetItemByName(name) != nullptr)
            continue;
        const auto archive = archive_path(options.out_dir, name);
        std::error_code error;
        if (std::filesystem::remove(archive, error)) {
            ++summary.removed;
            remove_empty_folders(archive.parent_path(), options.out_dir);
        }
    }

    const std::string text = manifest_text(catalogue, options);
    platform::write_file_atomic(options.out_dir / kManifestName, text);
    const auto packed =
        EncodeBZip2(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    platform::write_file_atomic(options.out_dir / kPackedManifestName,
                                {reinterpret_cast<const char*>(packed.data()), packed.size()});
    return summary;
}

} // namespace launcher::publish
