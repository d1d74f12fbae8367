#pragma once

#include "catalogue/date_time.h"

#include <filesystem>

namespace launcher {

// Sets a game file's times to a catalogue date (local time, converted by the
// time-zone rules in force at that date). The low byte of `mask` picks the
// times: 1 creation, 2 last access, 4 last write, sums of them up to 7.
// Windows sets all three (SetFileTime); POSIX file systems have no settable
// creation time, so there bit 1 alone changes nothing on disk. A symbolic
// link is never followed. A date before year 1 or after year 9999 is set as
// the calendar's first or last second; the file system may keep another
// time still (see KeptDates). Returns `mask` with its low byte replaced by 1
// when the times were written, by 0 when not (file missing or not writable,
// mask 0 or above 7, a date that is not a number).
int SetFileDateTime(const std::filesystem::path& name, int mask, TDateTime date);

} // namespace launcher
