#include "cli/json_view.h"

#include <nlohmann/json.hpp>

namespace launcher::cli {

void JsonView::SetStatus(std::string_view text) {
    if (text.empty() || text == last_status_)
        return;
    last_status_ = text;
    events_.write({{"event", "status"}, {"text", text}});
}

void JsonView::SetTotalStatus(std::string_view text) {
    if (text.empty() || text == last_total_status_)
        return;
    last_total_status_ = text;
    events_.write({{"event", "total_status"}, {"text", text}});
}

void JsonView::MsgShow(std::string_view text) {
    events_.write({{"event", "message"}, {"text", text}});
}

void JsonView::SetIndicator(Indicator which, const IndicatorValue& value) {
    // The bar and the gauge of all files show the same count: one event.
    if (which != Indicator::ProgressBar_Total)
        return;
    if (value.Position == total_.Position && value.Max == total_.Max)
        return;
    total_ = value;
    events_.write({{"event", "total"}, {"done", value.Position}, {"files", value.Max}});
}

void JsonView::DownloadProgress(std::string_view name, std::int64_t loaded, std::int64_t size) {
    // A new name, or fewer bytes than before (the file is fetched again),
    // starts a new transfer.
    const bool same_transfer = name == progress_name_ && loaded >= progress_loaded_;
    bytes_received_ += same_transfer ? loaded - progress_loaded_ : loaded;
    progress_name_ = name;
    progress_loaded_ = loaded;
    events_.write({{"event", "progress"},
                   {"file", name},
                   {"loaded", loaded},
                   {"size", size},
                   {"done", total_.Position},
                   {"files", total_.Max},
                   {"bytes", bytes_received_}});
}

void JsonView::FileUpdated(std::string_view name) {
    ++files_updated_;
    events_.write({{"event", "file"}, {"name", name}, {"result", "updated"}});
}

void JsonView::FileFailed(std::string_view name, std::string_view reason, bool disk_problem) {
    ++files_failed_;
    events_.write({{"event", "file"},
                   {"name", name},
                   {"result", "failed"},
                   {"reason", reason},
                   {"disk_problem", disk_problem}});
}

void JsonView::ReleaseRefused(std::string_view server, std::string_view reason) {
    events_.write({{"event", "release_refused"}, {"server", server}, {"reason", reason}});
}

void JsonView::button(std::string_view name, std::string_view state, bool value) {
    events_.write({{"event", "button"}, {"name", name}, {state, value}});
}

void JsonView::SetStartGameEnabled(bool enabled) {
    if (start_game_ == static_cast<int>(enabled))
        return;
    start_game_ = enabled;
    button("start_game", "enabled", enabled);
}

void JsonView::SetCheckAllFilesVisible(bool visible) {
    if (check_visible_ == static_cast<int>(visible))
        return;
    check_visible_ = visible;
    button("check_all_files", "visible", visible);
}

void JsonView::SetCheckAllFilesEnabled(bool enabled) {
    if (check_enabled_ == static_cast<int>(enabled))
        return;
    check_enabled_ = enabled;
    button("check_all_files", "enabled", enabled);
}

} // namespace launcher::cli
