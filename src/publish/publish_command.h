#pragma once

#include "publish/release_publisher.h"

#include <iosfwd>

namespace launcher::publish {

// How `launcher-publish publish` reports.
struct PublishReportOptions {
    // One JSON object per line on `out` (docs/json-events.md); the human
    // text then goes to `err`.
    bool json = false;
    // Progress redrawn in place: `out` is a terminal.
    bool terminal = false;
};

// Publishes (or, with options.dry_run, tells what a publish would do) and
// reports the progress and the outcome. A failed publish raises its error
// after the JSON stream's summary has told it.
void RunPublishCommand(const PublishOptions& options, const PublishReportOptions& report,
                       std::ostream& out, std::ostream& err);

} // namespace launcher::publish
