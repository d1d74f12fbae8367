#pragma once

namespace launcher {
struct StartupState;
} // namespace launcher

namespace launcher::front {

// A skin image that does not decode is left out, and the windows show
// without it; the publisher finds out which one on the error output and in
// the debug log.
void ReportSkippedImages(StartupState& startup);

} // namespace launcher::front
