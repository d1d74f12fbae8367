#pragma once

#include "cli/progress_line.h"
#include "update/launcher_view.h"

#include <cstdio>
#include <iosfwd>
#include <string>

namespace launcher::cli {

// The main window's texts as terminal lines: status lines on standard
// output as they change, messages of the message panel and the download
// progress line on standard error. The buttons' states are kept for the
// command to read.
class TerminalView final : public LauncherView {
public:
    TerminalView(std::ostream& out, std::ostream& err, std::FILE* progress = stderr)
        : out_(out), err_(err), progress_(progress) {}

    void SetStatus(std::string_view text) override;
    void SetTotalStatus(std::string_view text) override;
    void MsgShow(std::string_view text) override;
    void SetIndicator(Indicator, const IndicatorValue&) override {}
    // Fine steps: the terminal shows bytes, not pixels.
    int IndicatorWidth(Indicator) const override { return 1000; }
    void SetStartGameEnabled(bool enabled) override { start_enabled_ = enabled; }
    void SetCheckAllFilesVisible(bool visible) override { check_all_visible_ = visible; }
    void SetCheckAllFilesEnabled(bool) override {}
    void DownloadProgress(std::string_view name, std::int64_t loaded, std::int64_t size) override;

    bool start_enabled() const { return start_enabled_; }
    bool check_all_visible() const { return check_all_visible_; }
    // Ends an open progress line before other output.
    void finish_progress();

private:
    std::ostream& out_;
    std::ostream& err_;
    ProgressLine progress_;
    std::string last_status_;
    std::string last_total_;
    bool start_enabled_ = false;
    bool check_all_visible_ = false;
};

} // namespace launcher::cli
