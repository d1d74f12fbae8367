#pragma once

#include <string>
#include <windows.h>

namespace launcher::app {

// One launcher per instance title. A running launcher is found by a
// top-level window (of any class, hidden ones included) whose caption is the
// title without regard to letter case; the window at the end of its owner
// chain is shown and brought to the foreground, and then its last active
// pop-up (an open settings window) in front of it. Returns true when a
// running launcher was found that way: the new start then ends with exit
// code 0 before it creates a window or touches its folder.
bool BringRunningInstanceForward(const std::wstring& instance_title);

// The top-level window whose caption equals the title without regard to
// letter case, or none.
HWND FindInstanceWindow(const std::wstring& instance_title);

} // namespace launcher::app
