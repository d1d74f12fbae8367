#pragma once

#include "command_line/json_events.h"
#include "update/launcher_view.h"

#include <cstdint>
#include <string>

namespace launcher::cli {

// The main window's events as a JSON event stream (docs/json-events.md):
// status texts, messages, the progress of the file and of all files with
// bytes, the buttons, each file's result and each server's refused release. Repeats of an unchanged
// value are left out, as the window would not change either.
class JsonView final : public LauncherView {
public:
    explicit JsonView(command_line::JsonEventStream& events) : events_(events) {}

    void SetStatus(std::string_view text) override;
    void SetTotalStatus(std::string_view text) override;
    void MsgShow(std::string_view text) override;
    void SetIndicator(Indicator which, const IndicatorValue& value) override;
    int IndicatorWidth(Indicator) const override { return 1000; }
    void SetStartGameEnabled(bool enabled) override;
    void SetCheckAllFilesVisible(bool visible) override;
    void SetCheckAllFilesEnabled(bool enabled) override;
    void DownloadProgress(std::string_view name, std::int64_t loaded, std::int64_t size) override;
    void FileUpdated(std::string_view name) override;
    void FileFailed(std::string_view name, std::string_view reason, bool disk_problem) override;
    void ReleaseRefused(std::string_view server, std::string_view reason) override;

    // Bytes received in this run over all files (a file fetched again counts again).
    std::int64_t bytes_received() const { return bytes_received_; }
    int files_updated() const { return files_updated_; }
    int files_failed() const { return files_failed_; }

private:
    void button(std::string_view name, std::string_view state, bool value);

    command_line::JsonEventStream& events_;
    std::string last_status_;
    std::string last_total_status_;
    IndicatorValue total_{0, 0, -1, 0};
    std::string progress_name_;
    std::int64_t progress_loaded_ = 0;
    std::int64_t bytes_received_ = 0;
    int files_updated_ = 0;
    int files_failed_ = 0;
    int start_game_ = -1; // unknown until set
    int check_visible_ = -1;
    int check_enabled_ = -1;
};

} // namespace launcher::cli
