#pragma once

#include "update/launcher_view.h"

namespace launcher::cli {

// Shows every event in two views: the human text and the event stream of
// --json side by side. The first view gives the indicators' widths.
class ViewPair final : public LauncherView {
public:
    ViewPair(LauncherView& first, LauncherView& second) : first_(first), second_(second) {}

    void SetStatus(std::string_view text) override {
        first_.SetStatus(text);
        second_.SetStatus(text);
    }
    void SetTotalStatus(std::string_view text) override {
        first_.SetTotalStatus(text);
        second_.SetTotalStatus(text);
    }
    void MsgShow(std::string_view text) override {
        first_.MsgShow(text);
        second_.MsgShow(text);
    }
    void SetIndicator(Indicator which, const IndicatorValue& value) override {
        first_.SetIndicator(which, value);
        second_.SetIndicator(which, value);
    }
    int IndicatorWidth(Indicator which) const override { return first_.IndicatorWidth(which); }
    void SetStartGameEnabled(bool enabled) override {
        first_.SetStartGameEnabled(enabled);
        second_.SetStartGameEnabled(enabled);
    }
    void SetCheckAllFilesVisible(bool visible) override {
        first_.SetCheckAllFilesVisible(visible);
        second_.SetCheckAllFilesVisible(visible);
    }
    void SetCheckAllFilesEnabled(bool enabled) override {
        first_.SetCheckAllFilesEnabled(enabled);
        second_.SetCheckAllFilesEnabled(enabled);
    }
    void DownloadProgress(std::string_view name, std::int64_t loaded, std::int64_t size) override {
        first_.DownloadProgress(name, loaded, size);
        second_.DownloadProgress(name, loaded, size);
    }
    void FileUpdated(std::string_view name) override {
        first_.FileUpdated(name);
        second_.FileUpdated(name);
    }
    void FileFailed(std::string_view name, std::string_view reason, bool disk_problem) override {
        first_.FileFailed(name, reason, disk_problem);
        second_.FileFailed(name, reason, disk_problem);
    }
    void ReleaseRefused(std::string_view server, std::string_view reason) override {
        first_.ReleaseRefused(server, reason);
        second_.ReleaseRefused(server, reason);
    }

private:
    LauncherView& first_;
    LauncherView& second_;
};

} // namespace launcher::cli
