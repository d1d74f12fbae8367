#pragma once

#include <cstdint>
#include <string_view>

namespace launcher {

// The four progress indicators of the main window: a gradient bar and a
// textured gauge for the current file, and the same pair for all files.
enum class Indicator { ProgressBar_OneFile, Gauge_OneFile, ProgressBar_Total, Gauge_Total };

inline constexpr int kIndicatorCount = 4;

// What an indicator shows. Before the workflow sets a range every indicator
// runs from 0 to 100 in steps of 10.
struct IndicatorValue {
    int Min = 0;
    int Max = 100;
    int Position = 0;
    int Step = 10;

    bool operator==(const IndicatorValue&) const = default;
};

// What the update workflow, the game start and the proxy probe touch of the
// main window. The Qt main window, the terminal view of launcher-cli and
// recording fakes in tests implement it. Every call shows its effect at once
// (the window repaints the control before the call returns).
class LauncherView {
public:
    virtual ~LauncherView() = default;

    // The main status line (Text_Status) and the total status line (Text_StatusTotal).
    virtual void SetStatus(std::string_view text) = 0;
    virtual void SetTotalStatus(std::string_view text) = 0;

    // The sliding message panel.
    virtual void MsgShow(std::string_view text) = 0;

    // One indicator's new range and position; the window maps it onto its
    // bar or gauge model.
    virtual void SetIndicator(Indicator which, const IndicatorValue& value) = 0;
    // The control's own width in pixels: the range a download is shown in.
    virtual int IndicatorWidth(Indicator which) const = 0;

    // Button_StartGame: enabled (with the hand-point cursor) or disabled.
    virtual void SetStartGameEnabled(bool enabled) = 0;
    // Button_CheckAllFiles: shown when the required files are done, disabled
    // while the full check runs.
    virtual void SetCheckAllFilesVisible(bool visible) = 0;
    virtual void SetCheckAllFilesEnabled(bool enabled) = 0;

    // The bytes of the packed file being fetched, for views that show more
    // than the one-file indicators (a terminal's progress line). Called with
    // each progress report of the download.
    virtual void DownloadProgress(std::string_view /*name*/, std::int64_t /*loaded*/,
                                  std::int64_t /*size*/) {}

    // Each file the workflow set out to fetch, once its fate is known: in
    // place in the game folder, or not, with the reason (for views that list
    // files one by one, such as a machine-readable event stream).
    virtual void FileUpdated(std::string_view /*name*/) {}
    virtual void FileFailed(std::string_view /*name*/, std::string_view /*reason*/,
                            bool /*disk_problem*/) {}

    // The release one update server served was refused, with the reason,
    // whether or not another server's release is then taken (for views that
    // list refusals one by one; the message panel tells them in words).
    virtual void ReleaseRefused(std::string_view /*server*/, std::string_view /*reason*/) {}
};

} // namespace launcher
