#pragma once

#include <string_view>

namespace launcher {

// What the update workflow, the game start and the proxy probe touch of the
// main window. The Qt main window, the terminal view of launcher-cli and
// recording fakes in tests implement it.
class LauncherView {
public:
    virtual ~LauncherView() = default;

    // The main status line (Text_Status) and the total status line (Text_StatusTotal).
    virtual void SetStatus(std::string_view text) = 0;
    virtual void SetTotalStatus(std::string_view text) = 0;

    // The sliding message panel.
    virtual void MsgShow(std::string_view text) = 0;
};

} // namespace launcher
