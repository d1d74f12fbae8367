#include "update/file_date_time.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace launcher {
namespace {

constexpr int kAccessTime = 2;
constexpr int kWriteTime = 4;

} // namespace

int SetFileDateTime(const std::filesystem::path& name, int mask, TDateTime date) {
    const int selection = mask & 0xFF;
    const int failed = mask & ~0xFF;
    const int fd = ::open(name.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return failed;
    int result = failed;
    const auto file_time = file_time_from_local_date_time(date);
    if (selection >= 1 && selection <= 7 && file_time) {
        timespec times[2];
        times[0] = (selection & kAccessTime) ? *file_time : timespec{0, UTIME_OMIT};
        times[1] = (selection & kWriteTime) ? *file_time : timespec{0, UTIME_OMIT};
        if (::futimens(fd, times) == 0)
            result = failed | 1;
    }
    ::close(fd);
    return result;
}

} // namespace launcher
