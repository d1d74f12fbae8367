// The full check: every catalogue file the start-up did not examine is
// compared in the player's check mode, fetched when it differs, and the
// previous list is brought up to date.
#include "platform/file.h"
#include "platform/files.h"
#include "update/check_settings.h"
#include "update/file_date_time.h"
#include "update/update_workflow.h"

namespace launcher {
namespace {

constexpr int kAllTimes = 7;

} // namespace

void UpdateWorkflow::Button_CheckAllFilesClick() {
    try {
        CheckingAllFiles();
    } catch (const platform::FileError& error) {
        if (!error.is_disk_problem())
            throw;
        install_staged(); // what was verified still goes in place
        report_disk_problem(error);
        return;
    }
    if (failed_.empty())
        view_.SetStatus(LanguageText(strings_, LanguageEntry::FullCheckFinished));
    else
        report_failed_files();
}

void UpdateWorkflow::CheckingAllFiles() {
    if (CheckAll.Count() == 0 || check_all_done_)
        return;
    check_all_done_ = true;
    view_.SetCheckAllFilesEnabled(false);
    apply_check_settings();
    const std::filesystem::path& main = setup_.MainPath;

    reset_one_file(CheckAll.Count());
    if (check_level_ != kLevelLight) {
        // The total line follows the hashing pass while it runs.
        hash_pass_count_ = CheckAll.Count();
        hash_pass_done_ = 0;
        view_.SetTotalStatus(LanguageText(strings_, LanguageEntry::TotalPrefix) + "0%");
        CheckAll = std::move(*hash_files(CheckAll));
        hash_pass_count_ = 0;
    } else {
        for (const Indicator which : {Indicator::ProgressBar_OneFile, Indicator::Gauge_OneFile})
            set_maximum(which, OldFileList.Count());
        for (int i = 0; i < OldFileList.Count(); ++i) {
            const TFileRecord& o = OldFileList.GetItemByID(i)->Content;
            if (const TFileItem* e = CheckAll.GetItemByName(o.Name);
                e && SameHash(e->Content.Hash, o.Hash))
                CheckAll.DeleteByName(o.Name);
            set_position(Indicator::ProgressBar_OneFile, i);
            set_position(Indicator::Gauge_OneFile, i);
        }
    }

    const int count = CheckAll.Count();
    set_indicator(Indicator::ProgressBar_Total, IndicatorValue{0, count, 0, 1});
    view_.SetTotalStatus(LanguageText(strings_, LanguageEntry::TotalPrefix) + "0%");
    set_indicator(Indicator::Gauge_Total, IndicatorValue{0, count, 0, 1});
    one_file_to_width();

    std::vector<std::int64_t> sizes;
    for (int i = 0; i < count; ++i) {
        const TFileItem* listed = NewFileList.GetItemByName(CheckAll.GetItemByID(i)->Content.Name);
        sizes.push_back(listed ? listed->Content.Size : -1);
    }
    const TotalProgress progress(sizes);

    for (int i = 0; i < count; ++i) {
        TFileItem& e = *CheckAll.GetItemByID(i);
        const TFileItem* m = NewFileList.GetItemByName(e.Content.Name);
        if (!m)
            continue;
        bool fetch = false;
        if (check_level_ == kLevelHard) {
            if (SameHash(e.Content.Hash, m->Content.Hash)) {
                record_previous(m->Content);
                if (m->Content.Date != 0.0)
                    SetFileDateTime(platform::native_path(main, m->Content.Name), kAllTimes,
                                    m->Content.Date);
            } else {
                fetch = true;
            }
        } else if (check_level_ == kLevelMedium) {
            if (e.Content.Size == m->Content.Size &&
                kept_dates_.Matches(e.Content.Date, m->Content.Date))
                record_previous(m->Content);
            else
                fetch = true;
        } else {
            const TFileItem* o = OldFileList.GetItemByName(e.Content.Name);
            fetch = !(o && SameHash(o->Content.Hash, m->Content.Hash));
        }
        if (!fetch)
            continue;
        e.Content = m->Content;
        _self = false;
        UpdateOneFile(e);
        total_after(progress, i + 1, count);
    }

    install_staged();
    platform::remove_file(TemporaryPackedFile());
    totals_to_maxima();
    view_.SetTotalStatus(LanguageText(strings_, LanguageEntry::TotalPrefix) + "100%");

    for (int id = 0; id < OldFileList.Count();) {
        if (NewFileList.GetItemByName(OldFileList.GetItemByID(id)->Content.Name))
            ++id;
        else
            OldFileList.DeleteById(id);
    }
    OldFileList.SaveToFile(TmpPath() / kPreviousListName);
}

} // namespace launcher
