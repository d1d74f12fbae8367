#pragma once

#include <string_view>

namespace launcher::platform {

// A named moment inside a step that must survive the process being killed
// (replacing the launcher's own executable, for one). When the environment
// variable LAUNCHER_CRASH_AT names this point, the process is killed here at
// once, as `kill -9` would, so tests can prove that every such moment leaves
// the disk in a state the next start copes with. Otherwise it does nothing.
void crash_point(std::string_view name);

} // namespace launcher::platform
