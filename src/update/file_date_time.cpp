#include "update/file_date_time.h"

#include "platform/file.h"

namespace launcher {
namespace {

constexpr int kCreationTime = 1;
constexpr int kAccessTime = 2;
constexpr int kWriteTime = 4;

} // namespace

int SetFileDateTime(const std::filesystem::path& name, int mask, TDateTime date) {
    const int selection = mask & 0xFF;
    const int failed = mask & ~0xFF;
    const auto file_time = file_time_from_local_date_time(date);
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
