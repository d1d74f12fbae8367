#pragma once

#include "publish/block_indexes.h"
#include "publish/packed_archive_writer.h"
#include "update/release_signature.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace launcher::publish {

class PublishError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct PublishOptions {
    std::filesystem::path game_dir;
    std::filesystem::path out_dir;
    std::vector<std::string> check_names{};  // the manifest's check section
    std::vector<std::string> remove_names{}; // the manifest's removal section
    PackedFormat format = PackedFormat::rar;
    std::vector<std::string> exclude_globs{}; // matched against the relative path and the file name
    // Compare every file's content by MD5, and every kept archive with its
    // packed hash, rather than trust an unchanged size and date.
    bool checksum = false;
    // Sign the release with these keys (several while moving to a new
    // key): the signature file gets the next release number, `channel`, and
    // expires after `expires_days` (at most kLongestValidityDays).
    std::vector<SecretKey> sign_keys{};
    int expires_days = 30;
    // Tell what a publish would do and write nothing: the archives that
    // would be packed are packed into the system's temporary folder only to
    // learn their sizes.
    bool dry_run = false;
    // Files of at least this many bytes get a block index beside their
    // archive (0: none); see UpdateBlockIndexes.
    std::uint64_t block_index_from = kBlockIndexFrom;
    // Empty: the channel of the verified served release, else the default.
    std::string channel{};
    // The release number to sign, for a folder whose served signature does
    // not verify; none: one above the verified served release.
    std::optional<std::uint64_t> release_number{};
};

struct PublishSummary {
    std::uint64_t release = 0; // the signed release number; 0 when unsigned
    std::string channel;       // the signed release's channel
    // Why nothing of the served tree was reused (a signed publish over a
    // tree that does not verify); empty when it was trusted.
    std::string republished;
    std::size_t files = 0;
    std::size_t packed = 0;          // archives written this time
    std::size_t reused = 0;          // archives kept from the previous release
    std::size_t removed = 0;         // archives of files that are gone
    std::uint64_t bytes_written = 0; // the new archives and both manifests
    // Entries of the game folder that are not published, each "NAME: why".
    std::vector<std::string> left_out{};
    // Links published as a copy of the file they point to, "NAME -> TARGET".
    std::vector<std::string> copied_links{};
    // Files whose content is not the previous release's (new ones included):
    // what players fetch at their next start, and how large it is.
    std::size_t changed = 0;
    std::uint64_t changed_bytes = 0;        // their content
    std::uint64_t changed_packed_bytes = 0; // their archives
    // The manifest names of the files packed and kept, and of the files
    // whose archives go (they were served and are no longer).
    std::vector<std::string> packed_names{};
    std::vector<std::string> kept_names{};
    std::vector<std::string> removed_names{};
    // What a player on the previous release fetches to reach this one: the
    // new archives, the packed manifest and the signature.
    std::uint64_t fetch_bytes = 0;
    std::size_t block_indexes = 0; // block indexes written this time
};

// Called after each file: its relative name, how many are done, how many in all.
using PublishProgress =
    std::function<void(const std::string& name, std::size_t done, std::size_t total)>;

inline constexpr std::string_view kManifestName = "updater.lst";
inline constexpr std::string_view kPackedManifestName = "updater.lst.vdp";
inline constexpr std::string_view kSignatureName = "updater.lst.vdp.sig";

// Turns a game folder into what an update server serves: one packed archive
// per file at its relative name plus ".vdp", the manifest "updater.lst" and
// its packed form "updater.lst.vdp". Publishing again over a previous release
// rewrites only the archives of changed files and removes those of files that
// are gone.
//
// The served release changes at one moment: every new file is staged under a
// temporary name first, so a publish that fails or is killed before its end
// leaves the release as it was (see ReleaseStaging). Names that cannot reach
// a player intact are refused, all of them in one PublishError, before
// anything is written, and so are check-section names the release does not
// hold and removal names of files it publishes.
PublishSummary PublishRelease(const PublishOptions& options, const PublishProgress& progress = {});

} // namespace launcher::publish
