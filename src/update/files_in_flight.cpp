// Several files in flight during an update: the files after the one being
// installed are fetched on the fetch-ahead slots meanwhile, and each is
// taken in its turn, so files are still verified, installed and recorded in
// the work list's order.
#include "download/segment_plan.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/utf8_path.h"
#include "update/game_names.h"
#include "update/packed_files.h"
#include "update/run_temporary_name.h"
#include "update/update_workflow.h"

#include <algorithm>

namespace launcher {

void UpdateWorkflow::Stop() {
    DM.Stop();
    if (fetch_ahead_)
        fetch_ahead_->Stop();
}

bool UpdateWorkflow::fetches_ahead(const TFileRecord& item) const {
    const bool sized = item.Hash != kPlaceholderHash || item.Size > 0;
    const std::string file_name =
        platform::utf8_of(platform::native_path({}, item.Name).filename());
    return sized && !is_launcher_file(file_name) && segment_count(item.Size, DM.Threads()) == 1 &&
           IsSafeGameName(platform::trim(item.Name)) && !servers_.given_up();
}

bool UpdateWorkflow::is_launcher_file(const std::string& file_name) const {
    return platform::to_lower(file_name) ==
           platform::to_lower(platform::utf8_of(setup_.self_executable.filename()));
}

void UpdateWorkflow::fetch_files_ahead() {
    if (!fetch_ahead_) {
        // The slots have the server's share of connections from now on.
        DM.DropConnections();
        fetch_ahead_ = std::make_unique<FetchAhead>(
            loop_, std::min(jobs_, kServerConnectionCap),
            [this](const std::string&, std::int64_t loaded, std::int64_t size) {
                // The bars show the bytes of all files in flight; each file's
                // own report comes when it is taken, so that the reports of
                // one file never mix with another's.
                one_file_bars(loaded, size);
            });
    }
    next_ahead_ = std::max(next_ahead_, installing_);
    const int end = std::min(Required.Count(), installing_ + jobs_);
    while (next_ahead_ < end && fetch_ahead_->has_free_slot()) {
        const TFileRecord& item = Required.GetItemByID(next_ahead_)->Content;
        if (!fetches_ahead(item))
            return; // fetched in its turn, alone
        FetchAheadRequest request;
        request.url = PackedFileAddress(URLMain, item.Name);
        request.file = TmpPath() / RunTemporaryName(kTemporaryPackedFile, RunTag(random_));
        request.max_length = ArchiveBound(std::max<std::int64_t>(item.Size, 0));
        request.stall_allowance = std::min(kFileStallAllowance, servers_.allowance());
        if (!fetch_ahead_->start(item.Name, std::move(request)))
            return;
        ++next_ahead_;
    }
}

int UpdateWorkflow::apply_fetch(const FetchAheadResult& result) {
    DM.HaveError = result.have_error;
    DM.LastFailure = result.failure;
    if (DM.HaveError && !DM.LastFailure)
        DM.LastFailure = DownloadFailure(DownloadFailure::Kind::NoAnswer);
    slot_md5_ = result.md5;
    if (result.size > 0)
        show_download_progress(current_name_, result.loaded, result.size);
    return result.stall_periods;
}

bool UpdateWorkflow::take_fetched_ahead(std::string& url, int& file_stalls) {
    const FetchAheadResult result =
        fetch_ahead_->take(current_name_, [this] { fetch_files_ahead(); });
    const int stalls = apply_fetch(result);
    if (DM.HaveError) {
        platform::remove_file(result.request.file);
    } else {
        try {
            platform::rename_replace(result.request.file, TemporaryPackedFile());
        } catch (const platform::FileError& error) {
            platform::remove_file(result.request.file);
            DM.HaveError = true;
            DM.LastFailure = DownloadFailure::local_file(error);
            return false;
        }
    }
    // A fetch from a server given up meanwhile cost that server, not the
    // one in use now.
    if (!result.request.url.starts_with(URLMain))
        return true;
    return account_stalls(stalls, url, file_stalls, false);
}

} // namespace launcher
