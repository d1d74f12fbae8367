#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace launcher::publish {

// Temporary files of a publish end with this; no file an update server
// serves does (they end with ".vdp" or are "updater.lst").
inline constexpr std::string_view kStagingSuffix = ".publish-tmp";

// `path` with the staging suffix.
std::filesystem::path StagedPath(const std::filesystem::path& path);

// The new files of a release, written beside the served ones under staged
// names and put in their places only when every one of them is complete and
// on the disk: the archives first, then "updater.lst", then
// "updater.lst.vdp", whose rename is the moment the release changes for
// players. Someone copying the folder to a CDN in the same order never serves
// a manifest whose archives are not there yet.
class ReleaseStaging {
public:
    // Staged manifests that are already in the folder were left by a publish
    // that may have stopped while renaming: they (or ours, written over
    // them) stay until a publish completes, as the sign that the served
    // archives must be checked. A list of gone archives already there stays
    // likewise.
    explicit ReleaseStaging(std::filesystem::path out_dir);
    // Without a completed `commit`, removes the staged files and the folders
    // made for them; the staged manifests and the list of gone archives only
    // while nothing was renamed and none were there before.
    ~ReleaseStaging();
    ReleaseStaging(const ReleaseStaging&) = delete;
    ReleaseStaging& operator=(const ReleaseStaging&) = delete;

    // Where to write the new archive of the game file `name`; its folders
    // are made.
    std::filesystem::path archive(std::string_view name);
    // Writes the manifest and the packed manifest under their staged names,
    // the release signature when there is one, and the list of archives to
    // remove once the release is served.
    void manifests(std::string_view text, std::span<const std::uint8_t> packed,
                   const std::vector<std::string>& gone, std::string_view signature = {});
    // Flushes every staged file to the disk, renames the archives into place,
    // flushes their folders, then renames "updater.lst", the signature file
    // "updater.lst.vdp.sig" (when signed) and "updater.lst.vdp".
    void commit();
    // Whether `commit` got as far as replacing served files.
    bool renaming_begun() const { return renaming_begun_; }

private:
    struct StagedArchive {
        std::filesystem::path staged;
        std::filesystem::path served;
        bool renamed = false;
    };

    std::filesystem::path out_dir_;
    bool keep_staged_manifests_;
    bool keep_gone_list_;
    std::vector<StagedArchive> archives_;
    std::vector<std::filesystem::path> made_folders_;
    bool renaming_begun_ = false;
    bool committed_ = false;
    bool signed_ = false;
};

// Temporary files that earlier publishes left behind (killed, or stopped by a
// power loss): archives this tool was staging, and files of earlier versions
// of it, which replaced archives one by one while the old manifest was
// served. The staged manifests and the list of gone archives at the top are
// not among them.
struct Leftovers {
    std::vector<std::filesystem::path> staged_archives;
    std::vector<std::filesystem::path> earlier_version_files;
};
Leftovers FindLeftovers(const std::filesystem::path& out_dir);

// Removes the files, and the folders up to `out_dir` that this leaves empty.
void RemoveLeftoverFiles(const std::vector<std::filesystem::path>& files,
                         const std::filesystem::path& out_dir);

// The archive of a game file on the server: its name below `out_dir` + ".vdp".
std::filesystem::path ArchivePath(const std::filesystem::path& out_dir, std::string_view name);

// Removes `folder` and its parents up to (not including) `top` while they
// are empty.
void RemoveEmptyFolders(const std::filesystem::path& folder, const std::filesystem::path& top);

} // namespace launcher::publish
