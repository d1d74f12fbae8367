#pragma once

#include <string_view>

namespace launcher {

// A launcher that replaced its own executable starts the new one as its
// successor and names in this variable the marker file the successor writes
// once its start-up succeeded; one that never writes it is swapped back.
inline constexpr std::string_view kStartMarkerVariable = "LAUNCHER_START_MARKER";

// Called by every program once its start-up succeeded (its package read, its
// window made). In a successor it writes the marker and removes the variable,
// so that programs started later (the game client, a later restart) do not
// inherit it. True when this program is a successor.
bool ConfirmStarted();

} // namespace launcher
