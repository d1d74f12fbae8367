#include "platform/executable_bit.h"

#include "platform/file.h"
#include "platform/utf8_path.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace launcher::platform {

bool is_executable(const std::filesystem::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & S_IXUSR);
}

void set_executable(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw file_error("Cannot open", path, {errno, std::generic_category()});
    struct stat info {};
    int failed = ::fstat(fd, &info);
    if (failed == 0 && !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw FileError("Cannot make " + utf8_of(path) + " executable: it is not a regular file",
                        FileProblem::Other, path);
    }
    // An execute bit for each read bit: whoever may read the program may run it.
    const mode_t mode = info.st_mode & 07777;
    if (failed == 0)
        failed = ::fchmod(fd, mode | ((mode & 0444) >> 2));
    const int error = errno;
    ::close(fd);
    if (failed != 0)
        throw file_error("Cannot make executable", path, {error, std::generic_category()});
}

} // namespace launcher::platform
