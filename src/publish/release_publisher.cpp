#include "publish/release_publisher.h"

#include "catalogue/date_time.h"
#include "catalogue/file_catalogue.h"
#include "catalogue/md5.h"
#include "config/config_package.h"
#include "platform/executable_bit.h"
#include "platform/files.h"
#include "platform/folder_lock.h"
#include "platform/glob_match.h"
#include "platform/input_file.h"
#include "platform/text.h"
#include "platform/utf8_path.h"
#include "publish/archive_member_mode.h"
#include "publish/block_indexes.h"
#include "publish/game_folder_entry.h"
#include "publish/gone_archives.h"
#include "publish/previous_release.h"
#include "publish/release_names.h"
#include "publish/release_signing.h"
#include "publish/release_staging.h"
#include "publish/section_names.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>

namespace launcher::publish {
namespace {

struct GameFile {
    std::filesystem::path path;
    std::string relative; // with "/" separators, for exclusion patterns
    std::string name;     // as the manifest writes it
    std::int64_t size = 0;
    TDateTime date = 0.0;
    bool executable = false;
};

bool excluded(const std::string& relative, const std::vector<std::string>& globs) {
    const std::string file_name = relative.substr(relative.rfind('/') + 1);
    return std::any_of(globs.begin(), globs.end(), [&](const std::string& glob) {
        return platform::glob_match(glob, relative) || platform::glob_match(glob, file_name);
    });
}

// The game's files in name order; every name that cannot be published is
// gathered into one error, so the publisher sees them all at once.
std::vector<GameFile> list_game_files(const PublishOptions& options, PublishSummary& summary) {
    std::vector<GameFile> files;
    std::vector<std::string> problems;
    std::error_code error;
    auto it = std::filesystem::recursive_directory_iterator(options.game_dir, error);
    if (error)
        throw PublishError("Cannot read the game folder " + platform::utf8_of(options.game_dir) +
                           ": " + error.message());
    const auto root = std::filesystem::canonical(options.game_dir, error);
    if (error)
        throw PublishError("Cannot read the game folder " + platform::utf8_of(options.game_dir) +
                           ": " + error.message());
    for (; it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (error)
            throw PublishError("Cannot read the game folder: " + error.message());
        const auto relative = it->path().lexically_relative(options.game_dir);
        const std::string relative_text = platform::generic_utf8_of(relative);
        const GameFolderEntry entry = ClassifyGameFolderEntry(*it, root);
        if (entry.use == GameFolderEntry::Use::Folder ||
            excluded(relative_text, options.exclude_globs))
            continue;
        if (entry.use == GameFolderEntry::Use::LeftOut) {
            summary.left_out.push_back(relative_text + ": " + entry.why);
            continue;
        }
        if (entry.through_link)
            summary.copied_links.push_back(
                relative_text + " -> " +
                platform::generic_utf8_of(entry.content.lexically_relative(root)));
        std::string name;
        try {
            name = ManifestName(relative);
        } catch (const PublishError& refused) {
            problems.emplace_back(refused.what());
            continue;
        }
        const auto info = platform::file_status(entry.content);
        if (!info)
            throw PublishError("Cannot read " + platform::utf8_of(it->path()));
        files.push_back({entry.content, relative_text, std::move(name),
                         static_cast<std::int64_t>(info->size),
                         local_date_time_from_file_time(info->modified),
                         platform::is_executable(entry.content)});
    }
    std::sort(files.begin(), files.end(),
              [](const GameFile& a, const GameFile& b) { return a.relative < b.relative; });

    std::sort(problems.begin(), problems.end());
    std::vector<NamedFile> named;
    for (const auto& file : files)
        named.push_back({file.name, file.relative});
    const auto clashes = NameClashes(named);
    problems.insert(problems.end(), clashes.begin(), clashes.end());
    if (!problems.empty()) {
        std::string message = "Nothing was published: " + std::to_string(problems.size()) +
                              (problems.size() == 1 ? " name" : " names") +
                              " of the game folder cannot reach a player intact";
        for (const auto& problem : problems)
            message += "\n  " + problem;
        throw PublishError(message);
    }
    return files;
}

void refuse_nested_folders(const PublishOptions& options) {
    const auto resolved = [](const std::filesystem::path& path) {
        std::error_code error;
        auto full = std::filesystem::weakly_canonical(path, error);
        if (error)
            full = std::filesystem::absolute(path).lexically_normal();
        return full.filename().empty() ? full.parent_path() : full;
    };
    const auto game = resolved(options.game_dir);
    const auto out = resolved(options.out_dir);
    if (std::mismatch(game.begin(), game.end(), out.begin(), out.end()).first == game.end())
        throw PublishError("The update-server folder " + platform::utf8_of(options.out_dir) +
                           " lies inside the game folder: its archives would be published as "
                           "game files");
}

// The manifest: catalogue lines, then "#" and the check section, then "@"
// and the removal section when there are any.
std::string manifest_text(const TFileList& catalogue, const std::vector<std::string>& check,
                          const std::vector<std::string>& remove) {
    std::vector<std::string> lines;
    catalogue.SaveToStrings(&lines);
    if (!check.empty() || !remove.empty()) {
        lines.emplace_back("#");
        lines.insert(lines.end(), check.begin(), check.end());
    }
    if (!remove.empty()) {
        lines.emplace_back("@");
        lines.insert(lines.end(), remove.begin(), remove.end());
    }
    return platform::join_crlf(lines);
}

// Whether the served archive is the one `record` describes: it is there and,
// when `verify`, its MD5 is the record's packed hash.
bool archive_matches(const TFileRecord& record, const std::filesystem::path& archive, bool verify) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(archive, error))
        return false;
    if (!verify)
        return true;
    try {
        return MD5File(archive) == record.HashPacked;
    } catch (const platform::FileError&) {
        return false; // packed again
    }
}

// The catalogue record of a file whose served archive can stay, or none when
// the file must be packed again.
std::optional<TFileRecord> kept_record(const GameFile& file, const TFileItem* before,
                                       const std::filesystem::path& archive, bool verify,
                                       bool checksum, std::span<std::uint8_t> hash_buffer) {
    // A placeholder vouches for nothing: such a file is always packed again.
    if (before == nullptr || before->Content.Size != file.size ||
        before->Content.Hash == kPlaceholderHash ||
        before->Content.HashPacked == kPlaceholderHash ||
        !archive_matches(before->Content, archive, verify) ||
        ArchiveMemberExecutable(archive) != file.executable)
        return std::nullopt;
    const auto& old = before->Content;
    if (!checksum && old.Date == file.date)
        return TFileRecord{file.name, old.Hash, old.HashPacked, file.size, file.date};
    // The same size: the content may well be the same (a file touched, or
    // checked out again), which one read tells.
    TMD5 md5;
    const auto status = md5.AddFileWithStatus(file.path, hash_buffer);
    if (md5.DigestStr() != old.Hash)
        return std::nullopt;
    return TFileRecord{file.name, old.Hash, old.HashPacked, status.size,
                       local_date_time_from_file_time(status.modified)};
}

// The member is named as the game names the file (a link's name, not its
// target's).
std::string member_name(const GameFile& file) {
    return file.relative.substr(file.relative.rfind('/') + 1);
}

// Where a file's new archive is packed: the release's staging folder, or
// for a dry run a scratch file removed at once.
using ArchivePlace = std::function<PackedArchive(ArchivePacker&, const GameFile&)>;

PackedArchive pack_aside(ArchivePacker& packer, const GameFile& file) {
    const auto scratch = std::filesystem::temp_directory_path() /
                         ("launcher-publish-dry-run-" + platform::random_suffix());
    try {
        auto packed = packer.pack(file.path, member_name(file), scratch);
        platform::remove_file(scratch);
        return packed;
    } catch (...) {
        platform::remove_file(scratch);
        throw;
    }
}

// The release's catalogue: each file's record kept from the served release
// where it still holds, otherwise packed anew at `place`; counted in
// `summary`.
TFileList build_catalogue(const PublishOptions& options, const std::vector<GameFile>& files,
                          const PreviousRelease& previous, bool verify_archives,
                          const ArchivePlace& place, PublishSummary& summary,
                          const PublishProgress& progress) {
    ArchivePacker packer(options.format);
    std::vector<std::uint8_t> hash_buffer(1 << 20);
    TFileList catalogue(false); // in folder order
    for (const auto& file : files) {
        const TFileItem* before = previous.served.GetItemByName(file.name);
        const auto kept = kept_record(file, before, ArchivePath(options.out_dir, file.name),
                                      verify_archives, options.checksum, hash_buffer);
        if (kept) {
            catalogue.AddItemSimple(kept->Name, kept->Hash, kept->HashPacked, kept->Size,
                                    kept->Date);
            summary.kept_names.push_back(file.name);
        } else {
            const PackedArchive packed = place(packer, file);
            catalogue.AddItemSimple(file.name, packed.content_hash, packed.packed_hash, packed.size,
                                    local_date_time_from_file_time(packed.modified));
            summary.bytes_written += packed.archive_size;
            summary.fetch_bytes += packed.archive_size;
            summary.packed_names.push_back(file.name);
            ++summary.packed;
            if (!before || before->Content.Hash != packed.content_hash) {
                ++summary.changed;
                summary.changed_bytes += static_cast<std::uint64_t>(packed.size);
                summary.changed_packed_bytes += packed.archive_size;
            }
        }
        ++summary.files;
        if (progress)
            progress(file.relative, summary.files, files.size());
    }
    return catalogue;
}

// For a signed publish: checks the served release against the keys, and
// fixes the release number and channel; a served tree the keys do not
// vouch for is not reused. None for an unsigned publish.
std::optional<ServedReleaseTrust> plan_signing(const PublishOptions& options,
                                               PreviousRelease& previous, PublishSummary& summary) {
    const auto& out_dir = options.out_dir;
    std::optional<ServedReleaseTrust> served;
    if (options.sign_keys.empty())
        return std::nullopt;
    {
        if (options.expires_days < 1 || options.expires_days > kLongestValidityDays)
            throw PublishError("--expires " + std::to_string(options.expires_days) +
                               " is not between 1 and " + std::to_string(kLongestValidityDays) +
                               " days: launchers refuse a release valid for longer");
        std::vector<PublicKey> keys;
        for (const SecretKey& key : options.sign_keys)
            keys.push_back(PublicKeyOf(key));
        served = CheckServedRelease(out_dir, keys);
        summary.release = NextReleaseNumber(out_dir, *served, options.release_number);
        summary.channel = options.channel;
        if (summary.channel.empty())
            summary.channel = served->signature && served->signature->format >= 2
                                  ? served->signature->terms.channel
                                  : std::string(kDefaultChannel);
        if (!IsChannelName(summary.channel))
            throw PublishError("--channel " + summary.channel +
                               " is not a channel name (1 to 64 letters, digits, '.', '-' or '_')");
        // Hashes of a tree the key did not sign are someone else's: nothing of
        // it is reused, every file is packed again from the game folder.
        if (!served->manifest_verified && previous.served.Count() > 0) {
            summary.republished = served->doubt;
            previous.served.Clear();
        }
    }
    return served;
}

// The signature file of a signed publish's packed manifest.
std::string sign_manifest(const PublishOptions& options, const PublishSummary& summary,
                          std::span<const std::uint8_t> packed_manifest) {
    const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    ReleaseTerms terms{summary.release, summary.channel, now,
                       now + std::int64_t{options.expires_days} * 24 * 60 * 60};
    return SignRelease(packed_manifest, terms, options.sign_keys);
}

// What PublishRelease would do, without writing to the update-server folder.
PublishSummary dry_run(const PublishOptions& options, const std::vector<GameFile>& files,
                       const std::vector<std::string>& check_section,
                       const std::vector<std::string>& removal_section,
                       const PublishProgress& progress) {
    const auto& out_dir = options.out_dir;
    if (options.sign_keys.empty() &&
        platform::entry_kind(out_dir / kSignatureName) != platform::EntryKind::None)
        throw PublishError(platform::utf8_of(out_dir) + " serves a signed release (" +
                           std::string(kSignatureName) + "): publish with --sign-key");
    // A first publish: there is no folder yet, and a dry run makes none.
    const bool served = platform::entry_kind(out_dir) != platform::EntryKind::None;
    PreviousRelease previous = served ? ReadPreviousRelease(out_dir) : PreviousRelease{};
    const bool verify_archives = options.checksum || previous.interrupted ||
                                 (served && !FindLeftovers(out_dir).earlier_version_files.empty());
    PublishSummary summary;
    const bool signing = plan_signing(options, previous, summary).has_value();
    const TFileList catalogue =
        build_catalogue(options, files, previous, verify_archives, pack_aside, summary, progress);
    const std::string text = manifest_text(catalogue, check_section, removal_section);
    const auto packed_manifest =
        EncodeBZip2(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    summary.bytes_written += text.size() + packed_manifest.size();
    summary.fetch_bytes += packed_manifest.size();
    if (signing) {
        const auto signature = sign_manifest(options, summary, packed_manifest);
        summary.bytes_written += signature.size();
        summary.fetch_bytes += signature.size();
    }
    summary.removed_names = GoneNames(out_dir, previous.names, catalogue);
    summary.removed = summary.removed_names.size();
    summary.reused = summary.kept_names.size();
    return summary;
}

} // namespace

PublishSummary PublishRelease(const PublishOptions& options, const PublishProgress& progress) {
    std::vector<std::string> check_section;
    std::vector<std::string> removal_section;
    for (const auto& name : options.check_names)
        check_section.push_back(SectionName(name));
    for (const auto& name : options.remove_names)
        removal_section.push_back(SectionName(name));
    refuse_nested_folders(options);
    PublishSummary summary;
    const auto files = list_game_files(options, summary);
    if (files.empty())
        throw PublishError("The game folder " + platform::utf8_of(options.game_dir) +
                           " holds no files");
    {
        std::vector<std::string> published;
        for (const auto& file : files)
            published.push_back(file.name);
        RefuseSectionNames(published, check_section, removal_section);
    }
    if (options.dry_run) {
        PublishSummary foretold = dry_run(options, files, check_section, removal_section, progress);
        foretold.left_out = std::move(summary.left_out);
        foretold.copied_links = std::move(summary.copied_links);
        return foretold;
    }

    const auto& out_dir = options.out_dir;
    std::filesystem::create_directories(out_dir);
    std::optional<platform::FolderLock> lock;
    try {
        lock.emplace(out_dir);
    } catch (const platform::FileError& error) {
        throw PublishError(std::string(error.what()) + ": is another publish writing to it?");
    }
    // Launchers that hold the publisher's key refuse an unsigned release: a
    // publish that forgot the key would lock every one of them out.
    if (options.sign_keys.empty() &&
        platform::entry_kind(out_dir / kSignatureName) != platform::EntryKind::None)
        throw PublishError(platform::utf8_of(out_dir) + " serves a signed release (" +
                           std::string(kSignatureName) +
                           "): publish with --sign-key, as launchers that hold its key refuse "
                           "an unsigned one; to stop signing, remove that file first. The "
                           "release is unchanged.");
    PreviousRelease previous = ReadPreviousRelease(out_dir);
    const std::optional<ServedReleaseTrust> served = plan_signing(options, previous, summary);
    const Leftovers leftovers = FindLeftovers(out_dir);
    RemoveLeftoverFiles(leftovers.staged_archives, out_dir);
    // After an interrupted publish an archive may be newer than the manifest
    // that names it: each is checked before it is kept.
    const bool verify_archives =
        options.checksum || previous.interrupted || !leftovers.earlier_version_files.empty();

    ReleaseStaging staging(out_dir);
    TFileList catalogue(false);
    try {
        catalogue = build_catalogue(
            options, files, previous, verify_archives,
            [&staging](ArchivePacker& packer, const GameFile& file) {
                return packer.pack(file.path, member_name(file), staging.archive(file.name));
            },
            summary, progress);
        const std::string text = manifest_text(catalogue, check_section, removal_section);
        const auto packed_manifest =
            EncodeBZip2(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
        std::string signature;
        if (served) {
            signature = sign_manifest(options, summary, packed_manifest);
            summary.bytes_written += signature.size();
            summary.fetch_bytes += signature.size();
        }
        summary.removed_names = GoneNames(out_dir, previous.names, catalogue);
        staging.manifests(text, packed_manifest, summary.removed_names, signature);
        summary.bytes_written += text.size() + packed_manifest.size();
        summary.fetch_bytes += packed_manifest.size();
    } catch (const std::exception& error) {
        throw PublishError(std::string(error.what()) + "\nThe release in " +
                           platform::utf8_of(out_dir) + " is unchanged.");
    }
    try {
        staging.commit();
    } catch (const std::exception& error) {
        throw PublishError(
            std::string(error.what()) + "\nThe release in " + platform::utf8_of(out_dir) +
            (staging.renaming_begun() ? " may be partly replaced; publish again to complete it."
                                      : " is unchanged."));
    }
    summary.reused = summary.files - summary.packed;
    try {
        summary.block_indexes =
            UpdateBlockIndexes(out_dir, catalogue, options.block_index_from, summary.removed_names);
    } catch (const std::exception& error) {
        throw PublishError("The release in " + platform::utf8_of(out_dir) +
                           " is published, but its block indexes could not all be written "
                           "(players fetch those files whole; the next publish tries again): " +
                           error.what());
    }
    try {
        summary.removed = RemoveGoneArchives(out_dir, catalogue);
        RemoveLeftoverFiles(leftovers.earlier_version_files, out_dir);
    } catch (const std::exception& error) {
        throw PublishError("The release in " + platform::utf8_of(out_dir) +
                           " is published, but not every old file could be removed (the next "
                           "publish tries again): " +
                           error.what());
    }
    return summary;
}

} // namespace launcher::publish
