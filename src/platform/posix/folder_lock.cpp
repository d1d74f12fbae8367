#include "platform/folder_lock.h"

#include "platform/files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace launcher::platform {

FolderLock::FolderLock(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw file_error("Cannot open folder", folder, {errno, std::generic_category()});
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            throw FileError(folder.string() + " is locked by another program", FileProblem::Other,
                            folder);
        throw file_error("Cannot lock folder", folder, {error, std::generic_category()});
    }
    handle_ = fd;
}

FolderLock::~FolderLock() {
    ::close(static_cast<int>(handle_));
}

} // namespace launcher::platform
