// Updating files: fetching, verifying, extracting and dating each file of the
// work list, the launcher's own executable first.
#include "catalogue/md5.h"
#include "config/debug_file.h"
#include "platform/files.h"
#include "platform/text.h"
#include "update/file_date_time.h"
#include "update/game_names.h"
#include "update/packed_files.h"
#include "update/self_replacement.h"
#include "update/update_workflow.h"

#include <cmath>
#include <optional>
#include <system_error>

namespace launcher {
namespace {

constexpr std::size_t kUnpackingPrefix = 1;
constexpr std::size_t kDownloadPrefix = 4;
constexpr std::size_t kUpdateFinished = 5;
constexpr std::size_t kTotalPrefix = 24;
constexpr int kAllTimes = 7;

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
    view_.SetTotalStatus(strings_[kTotalPrefix] + "0%");
    set_indicator(Indicator::Gauge_Total, IndicatorValue{0, count, 0, 1});
    one_file_to_width();

    Required.SetSorted(false);
    const int self = Required.GetId("\\" + setup_.self_executable.filename().string());
    if (self > 0)
        Required.SwapItems(0, self);

    for (int i = 0; i < count; ++i) {
        set_position(Indicator::ProgressBar_OneFile, 0);
        set_position(Indicator::Gauge_OneFile, 0);
        _self = false;
        UpdateOneFile(*Required.GetItemByID(i));
        if (_self) {
            end_ = WorkflowEnd::Restarted;
            if (RestartLauncher)
                RestartLauncher();
            return;
        }
        total_to(i + 1);
        total_percent(i, count);
    }
    totals_to_maxima();
    view_.SetTotalStatus(strings_[kTotalPrefix] + "100%");
    Required.Clear();
    Required.SetSorted(true);
    view_.SetStatus(strings_[kUpdateFinished]);
    enable_start();
    OldFileList.SaveToFile(TmpPath() / kPreviousListName);
}

bool UpdateWorkflow::packed_file_matches(const std::string& expected_hash) const {
    if (expected_hash.empty())
        return true;
    try {
        return MD5File(TemporaryPackedFile()) == expected_hash;
    } catch (const platform::FileError&) {
        return false; // nothing could be fetched in this pass
    }
}

bool UpdateWorkflow::fetch_packed_file(const std::string& url, const std::filesystem::path& source,
                                       const std::string& expected_hash) {
    for (int pass = 1; pass <= kFetchPasses; ++pass) {
        if (setup_.FileModeActive) {
            std::error_code ignored;
            std::filesystem::copy_file(source, TemporaryPackedFile(),
                                       std::filesystem::copy_options::overwrite_existing, ignored);
        } else {
            log("Download file: " + OldName + " (try " + std::to_string(pass) + ")");
            for (int call = 0; call < kDownloadCallsPerPass; ++call) {
                try {
                    DM.GetFile(url, TemporaryPackedFile());
                } catch (const std::exception&) {
                    // A failed call is retried like one that reported an error.
                }
                if (!DM.HaveError)
                    break;
            }
        }
        if (packed_file_matches(expected_hash))
            return true;
    }
    return false;
}

void UpdateWorkflow::UpdateOneFile(TFileItem& FItem) {
    const TFileRecord& item = FItem.Content;
    const std::filesystem::path& main = setup_.MainPath;
    view_.SetStatus(strings_[kDownloadPrefix] + item.Name);
    if (!IsSafeGameName(platform::trim(item.Name))) {
        refuse(item.Name);
        return;
    }

    // The folders of the name, created when missing.
    const std::filesystem::path target = platform::native_path(main, item.Name);
    std::error_code ignored;
    std::filesystem::create_directories(target.parent_path(), ignored);

    URLName = target.filename().string();
    OldName = item.Name.substr(1);
    const std::string expected_hash = item.HashPacked == kPlaceholderHash ? "" : item.HashPacked;

    // The launcher's own executable (by file name, in any folder) is moved
    // aside rather than deleted, so that it can be put back.
    std::optional<SelfReplacement> replacement;
    if (platform::to_lower(URLName) ==
        platform::to_lower(setup_.self_executable.filename().string())) {
        replacement.emplace(target);
        _self = true;
    } else {
        std::filesystem::remove(target, ignored);
    }

    std::string url = URLMain + OldName + std::string(kPackedSuffix);
    for (char& c : url)
        if (c == '\\')
            c = '/';
    const std::filesystem::path source =
        platform::native_path(setup_.FileModeFolder, item.Name + std::string(kPackedSuffix));
    current_name_ = item.Name;

    if (!fetch_packed_file(url, source, expected_hash)) {
        log("FItem.Content.Name " + OldName + ": hash error !!!");
        if (replacement) {
            replacement->RollBack();
            _self = false;
        }
        return;
    }

    view_.SetStatus(strings_[kUnpackingPrefix] + item.Name);
    loop_.process_pending(platform::Milliseconds(0));
    log("Unpack:: " + OldName);
    UnpackArchive(TemporaryPackedFile(), target.parent_path(), main);
    log("Set DateTime: " + OldName);
    std::filesystem::remove(TemporaryPackedFile(), ignored);

    if (replacement && !replacement->Installed()) {
        // The archive did not hold the new executable: keep the running one.
        replacement->RollBack();
        _self = false;
        return;
    }
    if (item.Date != 0.0)
        SetFileDateTime(target, kAllTimes, item.Date);
    // Only a file that is there counts as installed: a previous list naming a
    // file the archive did not give would keep light mode from fetching it.
    if (std::filesystem::exists(target, ignored))
        record_previous(item);
}

void UpdateWorkflow::UpdateDMProgress(std::int64_t loaded, std::int64_t size) {
    for (const Indicator which : {Indicator::ProgressBar_OneFile, Indicator::Gauge_OneFile}) {
        const int position = size > 0 ? nearest(static_cast<double>(loaded) /
                                                static_cast<double>(size) * indicator(which).Max)
                                      : 0;
        set_position(which, position);
    }
    view_.DownloadProgress(current_name_, loaded, size);
}

} // namespace launcher
