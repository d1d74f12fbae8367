#include "publish/release_staging.h"

#include "platform/durable_file.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/utf8_path.h"
#include "publish/gone_archives.h"
#include "publish/release_publisher.h"

#include <set>
#include <string>

namespace launcher::publish {
namespace {

constexpr std::string_view kEarlierArchiveSuffix = ".vdp.writing";
constexpr std::string_view kEarlierManifestSuffix = ".tmp";

void write_whole(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    platform::OutputFile file(path);
    file.write(bytes);
    file.close();
}

std::span<const std::uint8_t> bytes_of(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

} // namespace

std::filesystem::path StagedPath(const std::filesystem::path& path) {
    std::filesystem::path staged = path;
    staged += kStagingSuffix;
    return staged;
}

std::filesystem::path ArchivePath(const std::filesystem::path& out_dir, std::string_view name) {
    std::filesystem::path path = platform::native_path(out_dir, name);
    path += ".vdp";
    return path;
}

void RemoveEmptyFolders(const std::filesystem::path& folder, const std::filesystem::path& top) {
    std::error_code error;
    for (auto current = folder; current != top && current.has_parent_path();
         current = current.parent_path()) {
        if (!std::filesystem::is_empty(current, error) || error)
            return;
        std::filesystem::remove(current, error);
    }
}

ReleaseStaging::ReleaseStaging(std::filesystem::path out_dir) : out_dir_(std::move(out_dir)) {
    std::error_code error;
    keep_staged_manifests_ =
        std::filesystem::exists(StagedPath(out_dir_ / kManifestName), error) ||
        std::filesystem::exists(StagedPath(out_dir_ / kPackedManifestName), error);
    keep_gone_list_ = std::filesystem::exists(out_dir_ / kGoneListName, error);
}

ReleaseStaging::~ReleaseStaging() {
    if (committed_)
        return;
    std::error_code ignored;
    for (const auto& archive : archives_)
        if (!archive.renamed)
            std::filesystem::remove(archive.staged, ignored);
    if (!keep_staged_manifests_ && !renaming_begun_) {
        std::filesystem::remove(StagedPath(out_dir_ / kManifestName), ignored);
        std::filesystem::remove(StagedPath(out_dir_ / kPackedManifestName), ignored);
        std::filesystem::remove(StagedPath(out_dir_ / kSignatureName), ignored);
    }
    if (!keep_gone_list_ && !renaming_begun_)
        std::filesystem::remove(out_dir_ / kGoneListName, ignored);
    // Deepest first; a folder that holds a renamed archive stays.
    for (auto it = made_folders_.rbegin(); it != made_folders_.rend(); ++it)
        if (std::filesystem::is_empty(*it, ignored) && !ignored)
            std::filesystem::remove(*it, ignored);
}

std::filesystem::path ReleaseStaging::archive(std::string_view name) {
    const auto served = ArchivePath(out_dir_, name);
    std::vector<std::filesystem::path> missing;
    for (auto folder = served.parent_path(); folder != out_dir_ && folder.has_relative_path();
         folder = folder.parent_path()) {
        if (std::filesystem::exists(folder))
            break;
        missing.push_back(folder);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        std::filesystem::create_directory(*it);
        made_folders_.push_back(*it);
    }
    archives_.push_back({StagedPath(served), served});
    return archives_.back().staged;
}

void ReleaseStaging::manifests(std::string_view text, std::span<const std::uint8_t> packed,
                               const std::vector<std::string>& gone, std::string_view signature) {
    write_whole(StagedPath(out_dir_ / kManifestName), bytes_of(text));
    write_whole(StagedPath(out_dir_ / kPackedManifestName), packed);
    signed_ = !signature.empty();
    if (signed_)
        write_whole(StagedPath(out_dir_ / kSignatureName), bytes_of(signature));
    write_whole(out_dir_ / kGoneListName, bytes_of(platform::join_crlf(gone)));
}

void ReleaseStaging::commit() {
    const auto manifest = out_dir_ / kManifestName;
    const auto packed_manifest = out_dir_ / kPackedManifestName;
    // Content first: a rename that reaches the disk before the bytes it names
    // would show an empty archive under a served name after a power loss.
    std::vector<std::filesystem::path> staged;
    for (const auto& archive : archives_)
        staged.push_back(archive.staged);
    staged.push_back(StagedPath(manifest));
    staged.push_back(StagedPath(packed_manifest));
    if (signed_)
        staged.push_back(StagedPath(out_dir_ / kSignatureName));
    staged.push_back(out_dir_ / kGoneListName);
    platform::flush_to_disk(staged);

    renaming_begun_ = true;
    std::set<std::filesystem::path> folders;
    for (auto& archive : archives_) {
        std::filesystem::rename(archive.staged, archive.served);
        archive.renamed = true;
        folders.insert(archive.served.parent_path());
    }
    for (const auto& folder : made_folders_)
        folders.insert(folder.parent_path());
    // Every archive in place on the disk before a manifest names it.
    platform::flush_to_disk({folders.begin(), folders.end()});
    std::filesystem::rename(StagedPath(manifest), manifest);
    // The signature goes with the packed manifest: in the moment between the
    // two renames a launcher sees a pair that does not match and refuses it,
    // never a release it would take for another.
    if (signed_)
        std::filesystem::rename(StagedPath(out_dir_ / kSignatureName), out_dir_ / kSignatureName);
    std::filesystem::rename(StagedPath(packed_manifest), packed_manifest);
    committed_ = true;
    platform::flush_to_disk({out_dir_});
}

Leftovers FindLeftovers(const std::filesystem::path& out_dir) {
    Leftovers found;
    const std::set<std::filesystem::path> kept{StagedPath(out_dir / kManifestName),
                                               StagedPath(out_dir / kPackedManifestName),
                                               out_dir / kGoneListName};
    const std::set<std::filesystem::path> earlier_manifests{
        out_dir / (std::string(kManifestName) + std::string(kEarlierManifestSuffix)),
        out_dir / (std::string(kPackedManifestName) + std::string(kEarlierManifestSuffix))};
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(out_dir, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (!it->is_regular_file(error) || it->is_symlink(error))
            continue;
        const auto& path = it->path();
        const std::string name = platform::utf8_of(path.filename());
        if (name.ends_with(kStagingSuffix) && !kept.contains(path))
            found.staged_archives.push_back(path);
        else if (name.ends_with(kEarlierArchiveSuffix) || earlier_manifests.contains(path))
            found.earlier_version_files.push_back(path);
    }
    if (error)
        throw PublishError("Cannot read the update-server folder " + platform::utf8_of(out_dir) +
                           ": " + error.message());
    return found;
}

void RemoveLeftoverFiles(const std::vector<std::filesystem::path>& files,
                         const std::filesystem::path& out_dir) {
    for (const auto& file : files) {
        std::error_code error;
        std::filesystem::remove(file, error);
        if (error)
            throw PublishError("Cannot remove " + platform::utf8_of(file) +
                               ", left by an earlier publish: " + error.message());
        RemoveEmptyFolders(file.parent_path(), out_dir);
    }
}

} // namespace launcher::publish
