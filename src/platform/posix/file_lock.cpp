#include "platform/file_lock.h"

#include "platform/file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace launcher::platform {

std::optional<FileLock> FileLock::TryTake(const std::filesystem::path& path) {
    // Close-on-exec: a game client started later must not keep the folder
    // locked after the launcher ended.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        throw file_error("Cannot open the lock file", path, {errno, std::generic_category()});
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return std::nullopt;
        throw file_error("Cannot lock", path, {error, std::generic_category()});
    }
    return FileLock(fd);
}

void FileLock::release() noexcept {
    if (handle_ >= 0)
        ::close(static_cast<int>(handle_));
    handle_ = -1;
}

} // namespace launcher::platform
