#include "update/update_workflow.h"

#include "config/debug_file.h"
#include "config/player_choices.h"
#include "launch/proxy_list.h"
#include "platform/file.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/utf8_path.h"
#include "update/packed_files.h"
#include "update/release_signature.h"
#include "update/run_temporary_name.h"

#include <chrono>
#include <cmath>
#include <system_error>

namespace launcher {
namespace {

std::size_t index_of(Indicator which) {
    return static_cast<std::size_t>(which);
}

} // namespace

UpdateWorkflow::UpdateWorkflow(platform::EventLoop& loop, LauncherView& view, tConfigData& config,
                               UserSettings& settings, const LanguageTable& strings,
                               UpdateWorkflowSetup setup)
    : DM(loop), loop_(loop), view_(view), config_(config), settings_(settings), strings_(strings),
      setup_(std::move(setup)), random_(static_cast<std::mt19937::result_type>(
                                    std::chrono::system_clock::now().time_since_epoch().count())) {
    run_tag_ = RunTag(random_);
    DM.SetThreads(kDownloadSegments);
    DM.OnProgress = [this](TDownloadMultiThread&, std::int64_t loaded, std::int64_t size) {
        UpdateDMProgress(loaded, size);
    };
    MakeServerProbe = [this] { return std::make_unique<HttpServerProbe>(loop_); };
    UnixTime = [] {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    };
}

UpdateWorkflow::~UpdateWorkflow() = default;

std::filesystem::path UpdateWorkflow::TmpPath() const {
    return UpdaterFolder(setup_.MainPath);
}

std::filesystem::path UpdateWorkflow::TemporaryPackedFile() const {
    return TmpPath() / RunTemporaryName(kTemporaryPackedFile, run_tag_);
}

std::filesystem::path UpdateWorkflow::TemporarySignatureFile() const {
    return TmpPath() / RunTemporaryName(kTemporarySignatureFile, run_tag_);
}

void UpdateWorkflow::log(const std::string& line) const {
    if (debug_file)
        debug_file->WriteErr(line);
}

void UpdateWorkflow::refuse(std::string_view name) const {
    log("Refused name outside the game folder: " + std::string(name));
}

void UpdateWorkflow::set_indicator(Indicator which, const IndicatorValue& value) {
    indicators_[index_of(which)] = value;
    view_.SetIndicator(which, value);
}

void UpdateWorkflow::set_position(Indicator which, int position) {
    IndicatorValue value = indicators_[index_of(which)];
    value.Position = position;
    set_indicator(which, value);
}

void UpdateWorkflow::set_maximum(Indicator which, int maximum) {
    IndicatorValue value = indicators_[index_of(which)];
    value.Max = maximum;
    set_indicator(which, value);
}

void UpdateWorkflow::reset_one_file(int maximum) {
    for (const Indicator which : {Indicator::ProgressBar_OneFile, Indicator::Gauge_OneFile})
        set_indicator(which, IndicatorValue{0, maximum, 0, 1});
}

void UpdateWorkflow::one_file_to_width() {
    for (const Indicator which : {Indicator::ProgressBar_OneFile, Indicator::Gauge_OneFile})
        set_maximum(which, view_.IndicatorWidth(which));
}

void UpdateWorkflow::total_to(int position) {
    set_position(Indicator::ProgressBar_Total, position);
    set_position(Indicator::Gauge_Total, position);
}

void UpdateWorkflow::totals_to_maxima() {
    for (const Indicator which : {Indicator::ProgressBar_Total, Indicator::Gauge_Total})
        set_position(which, indicator(which).Max);
}

void UpdateWorkflow::total_percent(int done, int count) {
    // The nearest whole number, halves to the even one.
    const double percent =
        count > 0 ? std::nearbyint(static_cast<double>(done) * 100.0 / count) : 100.0;
    view_.SetTotalStatus(LanguageText(strings_, LanguageEntry::TotalPrefix) +
                         std::to_string(static_cast<int>(percent)) + "%");
}

// The indicators stand at the share of the files done, the line at the
// share before the current one, as the line counts files done before it.
void UpdateWorkflow::total_after(const TotalProgress& progress, int done, int count) {
    total_to(static_cast<int>(std::nearbyint(progress.share_before(done) * count)));
    const double percent = std::nearbyint(progress.share_before(done - 1) * 100.0);
    view_.SetTotalStatus(LanguageText(strings_, LanguageEntry::TotalPrefix) +
                         std::to_string(static_cast<int>(percent)) + "%");
}

void UpdateWorkflow::enable_start() {
    view_.SetStartGameEnabled(true);
    view_.SetCheckAllFilesVisible(true);
    end_ = WorkflowEnd::Updated;
}

std::string UpdateWorkflow::CheckUpdateServers() {
    const std::unique_ptr<ServerProbe> probe = MakeServerProbe();
    return launcher::CheckUpdateServers(config_.UpdateServers, *probe, random_, debug_file);
}

std::vector<std::string> UpdateWorkflow::RankUpdateServers() {
    const std::unique_ptr<ServerProbe> probe = MakeServerProbe();
    return launcher::RankUpdateServers(config_.UpdateServers, *probe, random_, debug_file);
}

void UpdateWorkflow::report_no_server(const std::string& why) {
    if (!why.empty())
        log("No update server served the file list: " + why);
    end_reason_ = why;
    view_.MsgShow(LanguageText(strings_, LanguageEntry::NoUpdateServer));
    view_.SetStatus(LanguageText(strings_, LanguageEntry::NoUpdateServer));
    view_.SetStartGameEnabled(true);
    end_ = WorkflowEnd::NoServer;
}

void UpdateWorkflow::report_bad_manifest(const std::string& why) {
    log("Damaged file list: " + why);
    end_reason_ = why;
    const std::string text = LanguageText(strings_, LanguageEntry::ManifestDamaged);
    view_.MsgShow(text);
    view_.SetStatus(text);
    view_.SetStartGameEnabled(true);
    end_ = WorkflowEnd::BadManifest;
}

void UpdateWorkflow::report_disk_problem(const platform::FileError& error) {
    log(std::string("Disk problem: ") + error.what());
    end_reason_ = error.what();
    const std::string text =
        LanguageText(strings_, LanguageEntry::DiskProblemPrefix) + error.what();
    view_.MsgShow(text);
    view_.SetStatus(text);
    view_.SetStartGameEnabled(true);
    end_ = WorkflowEnd::DiskProblem;
}

void UpdateWorkflow::fail_file(const std::string& name, std::string reason, bool disk_problem) {
    log("Not updated: " + name + ": " + reason);
    view_.FileFailed(name, reason, disk_problem);
    failed_.push_back(FailedFile{name, std::move(reason), disk_problem});
}

void UpdateWorkflow::report_failed_files() {
    const std::string text = LanguageText(strings_, LanguageEntry::FilesNotUpdatedPrefix) +
                             std::to_string(failed_.size());
    view_.SetStatus(text);
    view_.MsgShow(text);
}

void UpdateWorkflow::prepare_updater_folder() {
    // The launcher's own folder: a link standing there is removed, never
    // followed, so nothing the launcher writes lands outside the game.
    const std::filesystem::path updater = TmpPath();
    std::error_code ignored; // a folder that cannot be made is named by make_folders
    std::filesystem::create_directories(setup_.MainPath, ignored);
    if (platform::entry_kind(updater) == platform::EntryKind::Link)
        platform::remove_file(updater);
    platform::make_folders(setup_.MainPath, updater.filename());
    remove_leftovers(updater);
}

void UpdateWorkflow::read_self_update_marker() {
    const std::filesystem::path marker = TmpPath() / kSelfUpdateMarkerName;
    if (platform::entry_kind(marker) == platform::EntryKind::None)
        return;
    TFileList installed(true);
    try {
        installed.LoadFromFileSkippingBadLines(marker);
    } catch (const platform::FileError&) {
    }
    if (installed.Count() > 0)
        self_update_before_ = installed.GetItemByID(0)->Content;
    platform::remove_file(marker);
}

std::optional<DownloadFailure> UpdateWorkflow::fetch_manifest(std::int64_t max_length) {
    const std::string packed_name = std::string(kManifestName) + std::string(kPackedSuffix);
    // A packed file left by an earlier run must not pass for this manifest.
    platform::remove_file(TemporaryPackedFile());
    if (setup_.FileModeActive) {
        const std::filesystem::path source =
            platform::native_path(setup_.FileModeFolder, packed_name);
        if (platform::entry_kind(source) != platform::EntryKind::File)
            return DownloadFailure::http_status(404, platform::utf8_of(source) + " is missing");
        platform::copy_file_to(source, TemporaryPackedFile());
        return std::nullopt;
    }
    current_name_ = packed_name;
    // One dropped connection must not end the update: the file list is
    // fetched again like a game file, as long as the server has not stalled
    // too often and did not take too long.
    std::string url = URLMain + packed_name;
    int stalls = 0;
    for (int call = 0; call < kDownloadCallsPerPass; ++call) {
        const bool again = fetch_from_server(url, TemporaryPackedFile(), max_length, stalls, true);
        if (!DM.HaveError)
            return std::nullopt;
        using Kind = DownloadFailure::Kind;
        const Kind kind = DM.LastFailure ? DM.LastFailure->kind : Kind::NoAnswer;
        if (!again || kind == Kind::LocalFile || kind == Kind::TooLong || kind == Kind::TooSlow)
            break;
    }
    platform::remove_file(TemporaryPackedFile());
    return DM.LastFailure.value_or(DownloadFailure{});
}

void UpdateWorkflow::MainTimerTimer() {
    failed_.clear();
    refused_.clear();
    end_reason_.clear();
    try {
        run_stage();
    } catch (const platform::FileError& error) {
        if (!error.is_disk_problem())
            throw;
        install_staged(); // what was verified still goes in place
        report_disk_problem(error);
    }
    if (end_ == WorkflowEnd::Restarted)
        return;
    if (proxy_probe)
        ProxyLine = LoadProxyList(config_, settings_, *proxy_probe, view_, strings_);
}

void UpdateWorkflow::run_stage() {
    prepare_updater_folder();
    read_self_update_marker();
    servers_.reset(RankUpdateServers());
    URLMain = servers_.current();
    if (URLMain.empty()) {
        report_no_server();
        return;
    }
    // Each server in turn until one serves a usable, acceptable file list;
    // what the others did is told only when none did.
    refusal_.reset();
    std::optional<std::string> damaged;
    std::string not_served;
    for (;;) {
        const FileListOutcome outcome = take_file_list();
        if (outcome.kind == FileListOutcome::Kind::Usable)
            break;
        // No other server can mend this game folder's own record.
        if (outcome.kind == FileListOutcome::Kind::Refused && refusal_ && refusal_->local) {
            report_release_outcome(*refusal_);
            return;
        }
        if (outcome.kind == FileListOutcome::Kind::Damaged && !damaged)
            damaged = outcome.reason;
        if (outcome.kind == FileListOutcome::Kind::NotServed)
            not_served += (not_served.empty() ? "" : "; ") + URLMain + ": " + outcome.reason;
        if (!servers_.next()) {
            if (refusal_)
                report_release_outcome(*refusal_);
            else if (damaged)
                report_bad_manifest(*damaged);
            else
                report_no_server(not_served);
            return;
        }
        // Told now, as the next server's release may well be taken.
        if (outcome.kind == FileListOutcome::Kind::Refused && !refused_.empty())
            view_.MsgShow(refused_release_text(refused_.back()));
        URLMain = servers_.current();
        log("Trying the next update server: " + URLMain);
    }
    set_position(Indicator::ProgressBar_OneFile, 0);
    set_position(Indicator::Gauge_OneFile, 0);
    CheckingRequiredFiles();
}

} // namespace launcher
