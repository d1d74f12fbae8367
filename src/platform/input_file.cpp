#include "platform/input_file.h"

#include "platform/files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace launcher::platform {
namespace {

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& path, int error) {
    throw FileError(what + " " + path.string() + ": " + std::strerror(error));
}

} // namespace

InputFileStatus file_status(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        fail("Cannot read", path, errno);
    return {static_cast<std::int64_t>(info.st_size), info.st_mtim};
}

InputFile::InputFile(std::filesystem::path path) : path_(std::move(path)) {
    // O_NONBLOCK keeps a FIFO from blocking the open; regular files ignore it.
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        fail("Cannot open file", path_, errno);
    handle_ = fd;
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        fail("Cannot open file", path_, errno);
    if (!S_ISREG(info.st_mode))
        fail("Cannot open file", path_, EINVAL);
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0)
        fail("Cannot open file", path_, errno == EWOULDBLOCK ? EBUSY : errno);
}

InputFile::~InputFile() {
    if (handle_ >= 0)
        ::close(static_cast<int>(handle_));
}

std::size_t InputFile::read(std::span<std::uint8_t> buffer) {
    std::size_t filled = 0;
    while (filled < buffer.size()) {
        const ssize_t n =
            ::read(static_cast<int>(handle_), buffer.data() + filled, buffer.size() - filled);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail("Cannot read file", path_, errno);
        if (n == 0)
            break;
        filled += static_cast<std::size_t>(n);
    }
    return filled;
}

void InputFile::rewind() {
    if (::lseek(static_cast<int>(handle_), 0, SEEK_SET) != 0)
        fail("Cannot read file", path_, errno);
}

InputFileStatus InputFile::status() const {
    struct stat info {};
    if (::fstat(static_cast<int>(handle_), &info) != 0)
        fail("Cannot read file", path_, errno);
    return {static_cast<std::int64_t>(info.st_size), info.st_mtim};
}

} // namespace launcher::platform
