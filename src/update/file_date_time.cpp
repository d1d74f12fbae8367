#include "update/file_date_time.h"

#include "platform/file.h"

#include <algorithm>
#include <cmath>

namespace launcher {
namespace {

constexpr int kCreationTime = 1;
constexpr int kAccessTime = 2;
constexpr int kWriteTime = 4;

// A day count past either end of the calendar is set as that end: the file
// system then keeps what it can of it, the same at every install, rather
// than the time of the extraction.
TDateTime within_calendar(TDateTime date) {
    static const TDateTime first = encode_date_time({1, 1, 1});
    static const TDateTime last = encode_date_time({9999, 12, 31, 23, 59, 59});
    return std::isnan(date) ? date : std::clamp(date, first, last);
}

} // namespace

int SetFileDateTime(const std::filesystem::path& name, int mask, TDateTime date) {
    const int selection = mask & 0xFF;
    const int failed = mask & ~0xFF;
    const auto file_time = file_time_from_local_date_time(within_calendar(date));
    if (selection < 1 || selection > 7 || !file_time)
        return failed;
    platform::FileTimes times;
    if (selection & kCreationTime)
        times.creation = *file_time;
    if (selection & kAccessTime)
        times.access = *file_time;
    if (selection & kWriteTime)
        times.write = *file_time;
    return platform::set_file_times(name, times) ? failed | 1 : failed;
}

} // namespace launcher
