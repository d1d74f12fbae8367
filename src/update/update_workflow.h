#pragma once

#include "archive/rar_types.h"
#include "catalogue/file_catalogue.h"
#include "config/config_data.h"
#include "config/language_table.h"
#include "config/user_settings.h"
#include "download/download_multi_thread.h"
#include "platform/event_loop.h"
#include "platform/stop_request.h"
#include "update/failed_file.h"
#include "update/fetch_ahead.h"
#include "update/kept_dates.h"
#include "update/launcher_view.h"
#include "update/previous_list.h"
#include "update/release_outcome.h"
#include "update/release_signature.h"
#include "update/server_rotation.h"
#include "update/server_selection.h"
#include "update/total_progress.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

namespace launcher {

class ProxyProbe;
class tDebugFile;

inline constexpr std::string_view kManifestName = "updater.lst";
inline constexpr std::string_view kPreviousListName = "OldList.lst";
inline constexpr std::string_view kBackupSuffix = ".bak";
// Where a replaced executable is kept until the new one has started.
inline std::filesystem::path BackupPathOf(const std::filesystem::path& executable) {
    return std::filesystem::path(executable) += kBackupSuffix;
}
// Written in the updater folder right before the launcher restarts into a
// new executable of itself: the record it installed, so that the restarted
// run does not replace itself with the same file again.
inline constexpr std::string_view kSelfUpdateMarkerName = "SelfUpdate.lst";
inline constexpr int kFetchPasses = 3;
inline constexpr int kDownloadCallsPerPass = 3;
inline constexpr int kDownloadSegments = 6;
// Bounds on what a server may send for the file list and its signature; an
// archive may hold its member's size and `ArchiveBound` more.
inline constexpr std::int64_t kMaxPackedManifestBytes = 64 * 1024 * 1024;
inline constexpr std::int64_t kMaxSignatureBytes = 64 * 1024;
// The longest one fetch of the file list or of its signature may take.
inline constexpr platform::Milliseconds kListFetchLimit{300000};
inline constexpr std::int64_t ArchiveBound(std::int64_t member_size) {
    return member_size + member_size / 16 + 64 * 1024;
}

// Where the workflow runs and what the start-up gave it.
struct UpdateWorkflowSetup {
    std::filesystem::path MainPath; // the launcher folder
    // The running launcher's executable, as it was named when the program
    // started: a file of the game with its name is the launcher itself.
    std::filesystem::path self_executable;
    bool FileModeActive = false;
    std::filesystem::path FileModeFolder; // packed files are copied from here in file mode
};

// How far the workflow got.
enum class WorkflowEnd {
    NotRun,
    NoServer,    // no update server could be chosen or none served the file list
    BadManifest, // the file list the server gave is empty or damaged; nothing was changed
    DiskProblem, // the launcher's own files could not be written in the game folder
    Refused,     // the file list is not a valid signed release; nothing was changed
    Updated,     // the files were checked and updated (see FailedFiles); the game may be started
    Restarted,   // the launcher replaced itself and handed over to its new executable
};

// The update workflow of the main window: server selection and manifest
// retrieval, the required-file check, updating files (the launcher's own
// executable first, replacing it and restarting) and the full check. It runs
// on the interface thread and drives the window through `LauncherView`.
// Every failure is told: files that could not be installed are listed in
// `FailedFiles` with their reason and counted in the status line; a damaged
// file list and a game folder that cannot be written end the stage with
// their own texts and leave the start button enabled, so the installed game
// can still be played. A working file is never lost for its replacement.
class UpdateWorkflow {
public:
    UpdateWorkflow(platform::EventLoop& loop, LauncherView& view, tConfigData& config,
                   UserSettings& settings, const LanguageTable& strings, UpdateWorkflowSetup setup);
    ~UpdateWorkflow();
    UpdateWorkflow(const UpdateWorkflow&) = delete;
    UpdateWorkflow& operator=(const UpdateWorkflow&) = delete;

    // The debug log; set only when it is enabled.
    tDebugFile* debug_file = nullptr;
    // Probes the game proxies at the end of the first stage; none skips it.
    ProxyProbe* proxy_probe = nullptr;
    // Called right after the launcher's own executable was replaced: saves
    // the player's settings, starts the new executable and ends the process.
    // Returns why the new executable could not be started; the workflow then
    // puts the previous one back and goes on. Returning an empty text (tests)
    // stops the workflow as if the process had ended.
    std::function<std::string()> RestartLauncher;
    // Seconds since 1970 UTC, for the expiry of signed releases; the system
    // clock by default.
    std::function<std::int64_t()> UnixTime;
    // Makes the probe of each server selection; the HTTP probe by default.
    std::function<std::unique_ptr<ServerProbe>()> MakeServerProbe;

    // The tick of the main window's one-shot start timer: the whole stage
    // from server selection to the enabled start button and the proxy probe.
    void MainTimerTimer();
    std::string CheckUpdateServers();
    // The servers to try, best first (the first is `CheckUpdateServers`'s).
    std::vector<std::string> RankUpdateServers();
    void CheckingRequiredFiles();
    void OneHashCheched(const std::string& filename, const std::string& hash, std::int64_t size,
                        TDateTime date);
    void UpdateRequiredFiles();
    void UpdateOneFile(TFileItem& FItem);
    void UpdateDMProgress(std::int64_t loaded, std::int64_t size);
    void CheckingAllFiles();
    void Button_CheckAllFilesClick();
    // The launcher is closing: downloads under way end.
    void Stop();

    WorkflowEnd end() const { return end_; }
    // Files of this run that could not be installed, in the order they failed.
    const std::vector<FailedFile>& FailedFiles() const { return failed_; }
    // Servers of this run whose release was refused, in the order they were
    // asked, whether or not a later server's release was taken.
    const std::vector<RefusedRelease>& RefusedReleases() const { return refused_; }
    // Why the stage ended early (BadManifest, DiskProblem), in words.
    const std::string& EndReason() const { return end_reason_; }
    const IndicatorValue& indicator(Indicator which) const {
        return indicators_[static_cast<std::size_t>(which)];
    }
    std::filesystem::path TmpPath() const;
    // The temporary packed file and the fetched signature file of this run:
    // "$tmp.vdp" and "$tmp.sig" with a tag of the run inserted
    // ("$tmp.k3x9qa.vdp"), so that no other run's file is ever taken for one.
    std::filesystem::path TemporaryPackedFile() const;
    std::filesystem::path TemporarySignatureFile() const;

    std::string URLMain;
    std::string URLName;
    std::string OldName;
    std::string ProxyLine; // the game proxy chosen after the update
    TDownloadMultiThread DM;
    TFileList Required{true};
    TFileList NewFileList{true};
    TFileList CheckAll{true};
    TFileList OldFileList{true};

private:
    // One file's download progress: its status line, and the one-file bars
    // (which sum every file in flight).
    void show_download_progress(std::string_view name, std::int64_t loaded, std::int64_t size);
    void one_file_bars(std::int64_t loaded, std::int64_t size);
    void log(const std::string& line) const;
    void refuse(std::string_view name) const;
    void apply_check_settings();
    void set_indicator(Indicator which, const IndicatorValue& value);
    void set_position(Indicator which, int position);
    void set_maximum(Indicator which, int maximum);
    void reset_one_file(int maximum);
    void one_file_to_width();
    void total_to(int position);
    void totals_to_maxima();
    void total_percent(int done, int count);
    // The total indicators and line after a file of a run weighed by sizes.
    void total_after(const TotalProgress& progress, int done, int count);
    void report_no_server(const std::string& why = {});
    void report_bad_manifest(const std::string& why);
    void report_disk_problem(const platform::FileError& error);
    void report_failed_files();
    void fail_file(const std::string& name, std::string reason, bool disk_problem = false);
    void run_stage();
    // Fetches the packed manifest into the temporary packed file (three
    // calls at most); the failure when nothing usable was fetched.
    // A stated length above `max_length` fails without reading the file.
    std::optional<DownloadFailure> fetch_manifest(std::int64_t max_length);
    void prepare_updater_folder();
    // With release keys configured: checks the fetched file list of the
    // current server against its signature file, fetched before it
    // (`signature_failure` when that failed). A refused release has its
    // packed file removed and is not yet told, so that another server may
    // still serve an acceptable one; `report_release_outcome` tells it.
    ReleaseOutcome verify_release(std::optional<ReleaseOutcome> signature_failure);
    // The size of the packed file list that the fetched signature file
    // states, when a configured key signed it and it is within the general
    // bound.
    std::optional<std::int64_t> signed_manifest_size() const;
    // Records that the current server's release was refused, and tells the view.
    void note_refused_release(const std::string& reason);
    std::string refused_release_text(const RefusedRelease& refused) const;
    // Tells a refused release or a server that did not answer, and ends the
    // stage with it.
    void report_release_outcome(const ReleaseOutcome& outcome);
    // Fetches the signature file into `target`; none when it arrived, else
    // what went wrong, as a refusal (the server says it has none) or as no
    // answer.
    std::optional<ReleaseOutcome> fetch_signature(const std::filesystem::path& target);
    // With release keys configured, a catalogue record whose Hash or packed
    // hash is the placeholder vouches for nothing: the release is refused
    // and told, and true returned. Otherwise the release's record of
    // accepted releases is written now.
    bool refuse_placeholder_hashes();
    // What one server gave for the file list.
    struct FileListOutcome {
        enum class Kind { Usable, NotServed, Damaged, Refused };
        Kind kind = Kind::NotServed;
        std::string reason;
    };
    // Fetches, checks and unpacks the file list of `URLMain` into place.
    FileListOutcome take_file_list();
    // Fetches `url`, an address below `URLMain`, within what the file
    // (`file_stalls` so far) and the server in use may still cost in
    // stalls; a server that used up its allowance is given up for the run,
    // and `URLMain` and `url` move to the next one. A file list or signature
    // (`list`) may also take only so long, and is never moved. False when
    // the file is not to be asked for again.
    bool fetch_from_server(std::string& url, const std::filesystem::path& target,
                           std::optional<std::int64_t> max_length, int& file_stalls,
                           bool list = false);
    // Counts what a fetch cost in stalls, against the file and its server,
    // as `fetch_from_server` says.
    bool account_stalls(int stalls, std::string& url, int& file_stalls, bool list);
    // Several files in flight: from the file being installed (`installing_`) on,
    // up to the number of jobs are fetched ahead while this thread installs
    // the ones before them. The self-update is never among them, nor a file
    // large enough for several ranges: that one is fetched in its turn, with
    // the other fetches' connections closed, so one cap holds for all.
    void fetch_files_ahead();
    bool fetches_ahead(const TFileRecord& item) const;
    // True when `file_name` names this launcher's own executable (in any
    // letter case): it is replaced alone, first, and never patched.
    bool is_launcher_file(const std::string& file_name) const;
    // The fetch ahead of the current file, waited for and moved to the
    // temporary packed file; false when it is not to be asked for again.
    bool take_fetched_ahead(std::string& url, int& file_stalls);
    // Takes a slot's outcome as the engine's own; returns its stall periods.
    int apply_fetch(const FetchAheadResult& result);
    void read_self_update_marker();
    void remove_leftovers(const std::filesystem::path& folder);
    // What a stop request leaves behind: every temporary file of this run.
    void remove_run_temporaries();
    // Deletes one file the removal section names, when it is a regular file.
    void remove_withdrawn(const std::string& line);
    // Puts into the work list every present catalogue file the previous
    // list does not vouch for: its record has another Hash, or it has none
    // and the file's size or date is not the catalogue's. Files the
    // previous list lacks but whose size and date match are recorded.
    // Returns the keys of the files it added.
    std::unordered_set<std::string> add_present_files_to_examine();
    const TFileRecord* previous_record(std::string_view name) const;
    void enable_start();
    void record_previous(const TFileRecord& record);
    std::unique_ptr<TFileList> hash_files(const TFileList& files);
    // As `hash_files`, with the files of `absent` (just found missing)
    // given the result of a missing file at once instead of on a thread.
    std::unique_ptr<TFileList> hash_files(const TFileList& files,
                                          const std::vector<std::string>& absent);
    // Fetches and verifies the packed archive; the reason when it failed.
    // An archive whose MD5 is still being taken when it has arrived is
    // unpacked by `unpack` meanwhile into `unpacked`, which is dropped again
    // when the archive does not match.
    std::optional<std::string> fetch_packed_file(const std::string& url,
                                                 const std::filesystem::path& source,
                                                 const std::string& expected_hash,
                                                 bool& disk_problem,
                                                 const std::function<TRARExtractResult()>& unpack,
                                                 std::optional<TRARExtractResult>& unpacked);
    bool packed_file_matches(const std::string& expected_hash);
    // Verified files wait under temporary names and are made durable
    // together, then renamed into place, dated and recorded: one flush for
    // many files instead of one each, and still never a file under its real
    // name whose content may not have reached the disk.
    struct StagedFile {
        TFileRecord record;
        std::filesystem::path staged;
        std::filesystem::path target;
    };
    void stage_file(const TFileRecord& record, const std::filesystem::path& staged,
                    const std::filesystem::path& target);
    void install_staged();
    // Swaps the verified new executable in and restarts; false when the run
    // goes on with the previous executable.
    bool replace_self(const TFileRecord& item, const std::filesystem::path& target,
                      const std::filesystem::path& staged);

    platform::EventLoop& loop_;
    LauncherView& view_;
    tConfigData& config_;
    UserSettings& settings_;
    const LanguageTable& strings_;
    UpdateWorkflowSetup setup_;
    std::mt19937 random_;
    std::string run_tag_; // six random letters and digits
    std::array<IndicatorValue, kIndicatorCount> indicators_{};
    int check_level_ = 2;
    int hash_threads_ = 1;
    bool _self = false;
    bool restart_after_self_ = false; // the launcher restarts right after replacing itself
    bool check_all_done_ = false;
    int hash_pass_count_ = 0; // files of the full check's hashing pass, while it runs
    int hash_pass_done_ = 0;
    std::string current_name_;
    WorkflowEnd end_ = WorkflowEnd::NotRun;
    std::string end_reason_;
    std::vector<FailedFile> failed_;
    std::vector<RefusedRelease> refused_;
    std::set<std::filesystem::path> cleaned_folders_;
    std::set<std::filesystem::path> verified_folders_; // below the launcher folder, this run
    std::vector<StagedFile> staged_;
    std::int64_t staged_bytes_ = 0;
    std::optional<TFileRecord> self_update_before_; // what the run before installed of itself
    ServerRotation servers_;
    std::optional<ReleaseOutcome> refusal_; // the last server's release was refused
    // The most bytes the archive being fetched may have: its member's size
    // and room for the archive's headers; none when the size is not known.
    std::optional<std::int64_t> max_packed_length_;
    PreviousListSnapshot previous_as_read_; // written back only when it changed
    platform::StopCleanup stop_cleanup_{[this] { remove_run_temporaries(); }};
    KeptDates kept_dates_{TmpPath()}; // medium mode's dates as the file system holds them
    // The record of accepted releases a verified release leads to, written
    // once its catalogue was read and found to vouch for every file.
    std::optional<std::string> accepted_record_;
    int jobs_ = 1;
    int installing_ = 0;                  // the work list's file being installed
    int next_ahead_ = 0;                  // the next file of the work list to fetch ahead
    bool via_slots_ = false;              // the current file is fetched on the fetch-ahead slots
    std::optional<std::string> slot_md5_; // of the last fetch there
    // Declared last: it ends its fetches while everything else still stands.
    std::unique_ptr<FetchAhead> fetch_ahead_;
};

} // namespace launcher
