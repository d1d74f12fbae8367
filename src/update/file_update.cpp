// Updating files: fetching, verifying, extracting and dating each file of the
// work list, the launcher's own executable first.
#include "archive/temporary_name.h"
#include "catalogue/md5.h"
#include "config/debug_file.h"
#include "patch/old_file_patch.h"
#include "platform/crash_point.h"
#include "platform/durable_file.h"
#include "platform/file.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/utf8_path.h"
#include "update/file_date_time.h"
#include "update/game_names.h"
#include "update/packed_files.h"
#include "update/run_temporary_name.h"
#include "update/self_replacement.h"
#include "update/update_workflow.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>

namespace launcher {
namespace {

constexpr int kAllTimes = 7;
// Verified files wait for one flush together up to these limits: few flushes
// for many small files, and bounded room on the disk for the new versions
// that stand beside the old ones meanwhile.
constexpr std::size_t kStagedFilesAtMost = 256;
constexpr std::int64_t kStagedBytesAtMost = std::int64_t{64} << 20;

int nearest(double value) {
    return static_cast<int>(std::nearbyint(value)); // halves to the even number
}

} // namespace

void UpdateWorkflow::record_previous(const TFileRecord& record) {
    if (TFileItem* known = OldFileList.GetItemByName(record.Name))
        known->Content = record;
    else
        OldFileList.AddItemSimple(record.Name, record.Hash, record.HashPacked, record.Size,
                                  record.Date);
}

void UpdateWorkflow::UpdateRequiredFiles() {
    if (Required.Count() == 0)
        return;
    const int count = Required.Count();
    set_indicator(Indicator::ProgressBar_Total, IndicatorValue{0, count, 0, 1});
    view_.SetTotalStatus(LanguageText(strings_, LanguageEntry::TotalPrefix) + "0%");
    set_indicator(Indicator::Gauge_Total, IndicatorValue{0, count, 0, 1});
    one_file_to_width();

    Required.SetSorted(false);
    const int self = Required.GetId("\\" + platform::utf8_of(setup_.self_executable.filename()));
    if (self > 0)
        Required.SwapItems(0, self);

    std::vector<std::int64_t> sizes;
    for (int i = 0; i < count; ++i)
        sizes.push_back(Required.GetItemByID(i)->Content.Size);
    const TotalProgress progress(sizes);

    restart_after_self_ = true;
    jobs_ = std::clamp(config_.Config.Jobs, 1, kMaxFetchJobs);
    // The self-update is first and alone: nothing is fetched beside it.
    const int first_ahead = self >= 0 ? 1 : 0;
    next_ahead_ = 0;
    for (int i = 0; i < count; ++i) {
        set_position(Indicator::ProgressBar_OneFile, 0);
        set_position(Indicator::Gauge_OneFile, 0);
        _self = false;
        if (jobs_ > 1 && i >= first_ahead && !setup_.FileModeActive) {
            installing_ = i;
            fetch_files_ahead();
        }
        UpdateOneFile(*Required.GetItemByID(i));
        if (end_ == WorkflowEnd::Restarted) {
            fetch_ahead_.reset();
            return;
        }
        total_after(progress, i + 1, count);
    }
    fetch_ahead_.reset();
    restart_after_self_ = false;
    install_staged();
    platform::remove_file(TemporaryPackedFile());
    totals_to_maxima();
    view_.SetTotalStatus(LanguageText(strings_, LanguageEntry::TotalPrefix) + "100%");
    Required.Clear();
    Required.SetSorted(true);
    if (failed_.empty())
        view_.SetStatus(LanguageText(strings_, LanguageEntry::UpdateFinished));
    else
        report_failed_files();
    enable_start();
    OldFileList.SaveToFile(TmpPath() / kPreviousListName);
}

bool UpdateWorkflow::packed_file_matches(const std::string& expected_hash) {
    if (expected_hash.empty()) {
        DM.ForgetFetchedMD5();
        return true;
    }
    // Hashes are compared without letter case: a file list may be written
    // in either. A download was hashed as it arrived.
    const std::string expected = platform::to_lower_ascii(expected_hash);
    if (!setup_.FileModeActive) {
        const std::optional<std::string> fetched = via_slots_ ? slot_md5_ : DM.FetchedMD5();
        if (fetched)
            return platform::to_lower_ascii(*fetched) == expected;
    }
    try {
        return platform::to_lower_ascii(MD5File(TemporaryPackedFile())) == expected;
    } catch (const platform::FileError&) {
        return false; // nothing could be fetched in this pass
    }
}

std::optional<std::string>
UpdateWorkflow::fetch_packed_file(const std::string& url, const std::filesystem::path& source,
                                  const std::string& expected_hash, bool& disk_problem,
                                  const std::function<TRARExtractResult()>& unpack,
                                  std::optional<TRARExtractResult>& unpacked) {
    // A file fetched ahead goes on with the slots for its further calls.
    via_slots_ = fetch_ahead_ && fetch_ahead_->holds(current_name_);
    for (int pass = 1; pass <= kFetchPasses; ++pass) {
        if (setup_.FileModeActive) {
            if (platform::entry_kind(source) != platform::EntryKind::File)
                return platform::utf8_of(source) + " is missing";
            try {
                platform::copy_file_to(source, TemporaryPackedFile());
            } catch (const platform::FileError& error) {
                disk_problem = error.is_disk_problem();
                return std::string(error.what());
            }
        } else {
            log("Download file: " + OldName + " (try " + std::to_string(pass) + ")");
            std::string address = url; // moves along when its server is given up
            int stalls = 0;
            const bool ahead = fetch_ahead_ && fetch_ahead_->holds(current_name_);
            for (int call = 0; call < kDownloadCallsPerPass; ++call) {
                bool again = true;
                try {
                    again = ahead && call == 0 ? take_fetched_ahead(address, stalls)
                                               : fetch_from_server(address, TemporaryPackedFile(),
                                                                   max_packed_length_, stalls);
                } catch (const std::exception&) {
                    // A failed call is retried like one that reported an error.
                    DM.HaveError = true;
                }
                if (!DM.HaveError || !again ||
                    (DM.LastFailure && DM.LastFailure->kind == DownloadFailure::Kind::LocalFile))
                    break;
            }
            if (DM.HaveError) {
                // Another pass would only repeat the same calls: passes are
                // for archives that arrived but do not match.
                const DownloadFailure failure = DM.LastFailure.value_or(DownloadFailure{});
                disk_problem = failure.kind == DownloadFailure::Kind::LocalFile;
                return failure.describe();
            }
        }
        // The hash of a large archive catches up while its member is
        // unpacked beside the target: the two use both processors. Only the
        // catalogue's member is unpacked, bounded by its size and under a
        // temporary name that goes again when the archive does not match.
        if (!setup_.FileModeActive && !via_slots_ && !expected_hash.empty() &&
            DM.FetchedMD5Pending()) {
            unpacked = unpack();
            platform::crash_point("file-update:unpacked-early");
        }
        if (packed_file_matches(expected_hash))
            return std::nullopt;
        if (unpacked && unpacked->MemberPlaced)
            platform::remove_file(unpacked->Staged);
        unpacked.reset();
    }
    std::string got;
    try {
        got = MD5File(TemporaryPackedFile());
    } catch (const platform::FileError&) {
    }
    return "the fetched archive differs from the file list (MD5 " + got + ", expected " +
           expected_hash + ")";
}

void UpdateWorkflow::remove_leftovers(const std::filesystem::path& folder) {
    if (!cleaned_folders_.insert(folder).second)
        return;
    // With the game folder locked, no other run's files stand here: every
    // temporary name is a killed run's.
    const bool updater = folder == TmpPath();
    for (const std::string& name : platform::folder_entries(folder)) {
        if (!IsTemporaryName(name) && !(updater && IsRunTemporaryName(name)))
            continue;
        const std::filesystem::path path = folder / name;
        const platform::EntryKind kind = platform::entry_kind(path);
        if (kind == platform::EntryKind::File || kind == platform::EntryKind::Link)
            platform::remove_file(path);
    }
}

bool UpdateWorkflow::replace_self(const TFileRecord& item, const std::filesystem::path& target,
                                  const std::filesystem::path& staged) {
    SelfReplacement replacement(target, staged);
    platform::crash_point("self-update:staged");
    try {
        replacement.SwapIn();
    } catch (const platform::FileError& error) {
        fail_file(item.Name, error.what(), error.is_disk_problem());
        return false;
    }
    platform::crash_point("self-update:swapped");
    if (!restart_after_self_)
        return true; // the new executable runs from the next start on

    // The restarted run must not replace itself with this file again.
    const std::filesystem::path marker = TmpPath() / kSelfUpdateMarkerName;
    TFileList installed(true);
    installed.AddItemSimple(item.Name, item.Hash, item.HashPacked, item.Size, item.Date);
    try {
        installed.SaveToFile(marker);
    } catch (const platform::FileError& error) {
        log(std::string("Cannot write the self-update marker: ") + error.what());
    }
    _self = true;
    end_ = WorkflowEnd::Restarted;
    platform::crash_point("self-update:restarting");
    const std::string why = RestartLauncher ? RestartLauncher() : std::string();
    if (why.empty())
        return true; // handed over to the new executable
    end_ = WorkflowEnd::NotRun;
    _self = false;
    platform::remove_file(marker);
    try {
        replacement.RollBack();
    } catch (const platform::FileError& error) {
        log(std::string("Cannot put the previous launcher back: ") + error.what());
    }
    fail_file(item.Name, "the new launcher could not be started: " + why);
    return false;
}

void UpdateWorkflow::UpdateOneFile(TFileItem& FItem) {
    const TFileRecord item = FItem.Content;
    const std::filesystem::path& main = setup_.MainPath;
    view_.SetStatus(LanguageText(strings_, LanguageEntry::UpdatingPrefix) + item.Name);
    if (!IsSafeGameName(platform::trim(item.Name))) {
        refuse(item.Name);
        fail_file(item.Name, "the name leaves the game folder");
        return;
    }

    const std::filesystem::path relative = platform::native_path({}, item.Name);
    const std::filesystem::path target = main / relative;
    // Nothing is written through a link: a folder of the name that is one
    // could point anywhere. Each folder is looked at once a run.
    if (!verified_folders_.contains(relative.parent_path())) {
        if (const auto link = platform::first_link_below(main, relative.parent_path());
            !link.empty()) {
            fail_file(item.Name, "its folder " + platform::utf8_of(link) + " is a symbolic link");
            return;
        }
        try {
            platform::make_folders(main, relative.parent_path());
        } catch (const platform::FileError& error) {
            fail_file(item.Name, error.what(), error.is_disk_problem());
            return;
        }
        verified_folders_.insert(relative.parent_path());
        remove_leftovers(target.parent_path());
    }

    URLName = platform::utf8_of(target.filename());
    OldName = item.Name.substr(1);
    const std::string expected_hash = item.HashPacked == kPlaceholderHash ? "" : item.HashPacked;
    const bool is_self = is_launcher_file(URLName);
    if (is_self && restart_after_self_ && self_update_before_ &&
        self_update_before_->Hash == item.Hash &&
        self_update_before_->HashPacked == item.HashPacked) {
        fail_file(item.Name, "the launcher replaced itself with this file in the run before and "
                             "would do so again: the file list does not match the file it gives");
        return;
    }

    const std::string url = PackedFileAddress(URLMain, item.Name);
    const std::filesystem::path source =
        platform::native_path(setup_.FileModeFolder, item.Name + std::string(kPackedSuffix));
    current_name_ = item.Name;

    ExpectedFile expected;
    expected.file_name = URLName;
    const bool hashed = item.Hash != kPlaceholderHash;
    if (hashed)
        expected.hash = item.Hash;
    if (hashed || item.Size > 0)
        expected.size = item.Size;
    expected.keep_staged = true;
    expected.sync = is_self; // the others are made durable together
    const auto unpack = [&] {
        view_.SetStatus(LanguageText(strings_, LanguageEntry::UnpackingPrefix) + item.Name);
        loop_.process_pending(platform::Milliseconds(0));
        log("Unpack:: " + OldName);
        return UnpackArchive(TemporaryPackedFile(), target.parent_path(), main, expected);
    };

    // A changed file the player has is built from its own blocks and ranges
    // of the archive where the server offers a block index; anything less
    // than a verified file fetches the archive whole.
    if (!setup_.FileModeActive && !is_self && hashed && !expected_hash.empty() &&
        item.Size >= patch::kPatchFrom &&
        platform::entry_kind(target) == platform::EntryKind::File) {
        const patch::OldFilePatch old{url, target, item.Hash, static_cast<std::uint64_t>(item.Size),
                                      expected_hash};
        if (const auto patched = patch::PatchFromOldFile(
                loop_, old, [this](const std::string& line) { log(line); })) {
            platform::crash_point("file-update:patched");
            stage_file(item, *patched, target);
            return;
        }
    }

    bool disk_problem = false;
    std::optional<TRARExtractResult> unpacked;
    max_packed_length_.reset();
    if (expected.size)
        max_packed_length_ = ArchiveBound(*expected.size);
    if (const auto why =
            fetch_packed_file(url, source, expected_hash, disk_problem, unpack, unpacked)) {
        log("FItem.Content.Name " + OldName + ": hash error !!!");
        // What arrived of a failed or mismatching archive is of no use, and
        // on a full disk it takes the room the previous list needs.
        platform::remove_file(TemporaryPackedFile());
        fail_file(item.Name, *why, disk_problem);
        return;
    }
    platform::crash_point("file-update:fetched");

    const TRARExtractResult result = unpacked ? std::move(*unpacked) : unpack();
    for (const std::string& member : result.Ignored)
        log("Ignored member " + member + " of " + OldName + ": not the listed file");
    log("Set DateTime: " + OldName);
    // The temporary packed file stays for the next file to overwrite, and
    // goes when the work list is done: removing and creating it for every
    // file costs the file system more than fetching a small file.

    if (!result.MemberPlaced) {
        std::string why = result.MemberFound || !result.Failure.empty()
                              ? result.Failure
                              : "the archive does not hold " + URLName;
        if (why.empty())
            why = "it could not be extracted";
        fail_file(item.Name, std::move(why),
                  result.LocalFailure && result.LocalFailure->is_disk_problem());
        return;
    }
    if (is_self) {
        if (replace_self(item, target, result.Staged) && end_ != WorkflowEnd::Restarted) {
            if (item.Date != 0.0)
                SetFileDateTime(target, kAllTimes, item.Date);
            record_previous(item);
            view_.FileUpdated(item.Name);
        }
        return;
    }
    stage_file(item, result.Staged, target);
}

void UpdateWorkflow::stage_file(const TFileRecord& record, const std::filesystem::path& staged,
                                const std::filesystem::path& target) {
    staged_.push_back(StagedFile{record, staged, target});
    staged_bytes_ += std::max<std::int64_t>(record.Size, 0);
    if (staged_.size() >= kStagedFilesAtMost || staged_bytes_ >= kStagedBytesAtMost)
        install_staged();
}

void UpdateWorkflow::install_staged() {
    std::vector<StagedFile> files = std::move(staged_);
    staged_.clear();
    staged_bytes_ = 0;
    if (files.empty())
        return;
    std::vector<std::filesystem::path> contents;
    for (const StagedFile& file : files)
        contents.push_back(file.staged);
    try {
        platform::flush_to_disk(contents);
    } catch (const platform::FileError& error) {
        for (const StagedFile& file : files) {
            platform::remove_file(file.staged);
            fail_file(file.record.Name, error.what(), true);
        }
        return;
    }
    std::set<std::filesystem::path> folders;
    for (const StagedFile& file : files) {
        try {
            platform::rename_replace(file.staged, file.target);
        } catch (const platform::FileError& error) {
            platform::remove_file(file.staged);
            fail_file(file.record.Name, error.what(), error.is_disk_problem());
            continue;
        }
        folders.insert(file.target.parent_path());
        if (file.record.Date != 0.0)
            SetFileDateTime(file.target, kAllTimes, file.record.Date);
        // Only a file that is there counts as installed: a previous list
        // naming a file the archive did not give would keep light mode from
        // fetching it.
        record_previous(file.record);
        view_.FileUpdated(file.record.Name);
    }
    // The renames on the disk before the previous list records the files.
    try {
        platform::flush_to_disk({folders.begin(), folders.end()});
    } catch (const platform::FileError& error) {
        log(std::string("Cannot flush the game folders: ") + error.what());
    }
}

void UpdateWorkflow::UpdateDMProgress(std::int64_t loaded, std::int64_t size) {
    show_download_progress(current_name_, loaded, size);
}

void UpdateWorkflow::show_download_progress(std::string_view name, std::int64_t loaded,
                                            std::int64_t size) {
    one_file_bars(loaded, size);
    view_.DownloadProgress(name, loaded, size);
}

void UpdateWorkflow::one_file_bars(std::int64_t loaded, std::int64_t size) {
    for (const Indicator which : {Indicator::ProgressBar_OneFile, Indicator::Gauge_OneFile}) {
        const int position = size > 0 ? nearest(static_cast<double>(loaded) /
                                                static_cast<double>(size) * indicator(which).Max)
                                      : 0;
        set_position(which, position);
    }
}

} // namespace launcher
