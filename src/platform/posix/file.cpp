#include "platform/file.h"

#include "platform/utf8_path.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace launcher::platform {
namespace {

std::error_code last_error() {
    return {errno, std::generic_category()};
}

int open_flags(File::Mode mode) {
    switch (mode) {
    case File::Mode::Read:
    case File::Mode::ReadDenyWrite:
        // O_NONBLOCK keeps a FIFO from blocking the open; regular files ignore it.
        return O_RDONLY | O_NONBLOCK;
    case File::Mode::ReadWrite:
        // Callers have refused a link at the name; O_NOFOLLOW keeps one that
        // was put there since from being followed.
        return O_RDWR | O_NOFOLLOW;
    case File::Mode::CreateExclusive:
    case File::Mode::CreatePrivate:
        // O_EXCL fails on any existing name and never follows a link.
        return O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW;
    case File::Mode::Truncate:
        return O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW;
    }
    return O_RDONLY;
}

FileStatus status_of(const struct stat& info) {
    FileStatus status;
    status.regular = S_ISREG(info.st_mode);
    status.size = static_cast<std::uint64_t>(info.st_size);
    status.modified = info.st_mtim;
    status.accessed = info.st_atim;
    return status;
}

} // namespace

File File::open(const std::filesystem::path& path, Mode mode, std::error_code& error) noexcept {
    error.clear();
    int fd = -1;
    do {
        fd = ::open(path.c_str(), open_flags(mode) | O_CLOEXEC,
                    mode == Mode::CreatePrivate ? 0600 : 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = last_error();
        return {};
    }
    if (mode == Mode::Read || mode == Mode::ReadDenyWrite) {
        // Back to blocking reads once the open is done.
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0)
            ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    try {
        return File(fd, path);
    } catch (...) { // copying the path ran out of memory
        ::close(fd);
        error = std::make_error_code(std::errc::not_enough_memory);
        return {};
    }
}

void File::close_quietly() noexcept {
    if (native_ != kClosed)
        ::close(static_cast<int>(native_));
    native_ = kClosed;
    locked_ = false;
}

void File::close(std::error_code& error) noexcept {
    error.clear();
    if (native_ == kClosed)
        return;
    const int fd = static_cast<int>(std::exchange(native_, kClosed));
    locked_ = false;
    if (::close(fd) != 0 && errno != EINTR)
        error = last_error();
}

std::size_t File::read(std::span<std::uint8_t> buffer, std::error_code& error) noexcept {
    error.clear();
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(native_), buffer.data(), buffer.size());
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR) {
            error = last_error();
            return 0;
        }
    }
}

std::size_t File::read_at(std::uint64_t offset, void* data, std::size_t size) const {
    for (;;) {
        const ssize_t n =
            ::pread(static_cast<int>(native_), data, size, static_cast<off_t>(offset));
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            fail("Cannot read file", last_error());
    }
}

void File::write(std::span<const std::uint8_t> bytes, std::error_code& error) noexcept {
    error.clear();
    while (!bytes.empty()) {
        const ssize_t n = ::write(static_cast<int>(native_), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? last_error() : std::make_error_code(std::errc::io_error);
            return;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
}

void File::write_at(std::uint64_t offset, std::span<const std::uint8_t> bytes,
                    std::error_code& error) const noexcept {
    error.clear();
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(static_cast<int>(native_), bytes.data(), bytes.size(),
                                   static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? last_error() : std::make_error_code(std::errc::io_error);
            return;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(n));
        offset += static_cast<std::uint64_t>(n);
    }
}

void File::seek(std::uint64_t offset, std::error_code& error) noexcept {
    error.clear();
    if (::lseek(static_cast<int>(native_), static_cast<off_t>(offset), SEEK_SET) < 0)
        error = last_error();
}

void File::set_size(std::uint64_t size, std::error_code& error) noexcept {
    error.clear();
    while (::ftruncate(static_cast<int>(native_), static_cast<off_t>(size)) != 0) {
        if (errno != EINTR) {
            error = last_error();
            return;
        }
    }
}

void File::start_writeback(std::uint64_t offset, std::uint64_t length) const noexcept {
#ifdef SYNC_FILE_RANGE_WRITE
    ::sync_file_range(static_cast<int>(native_), static_cast<off_t>(offset),
                      static_cast<off_t>(length), SYNC_FILE_RANGE_WRITE);
#else
    (void)offset;
    (void)length;
#endif
}

void File::sync(std::error_code& error) noexcept {
    error.clear();
    if (::fsync(static_cast<int>(native_)) != 0)
        error = last_error();
}

bool File::try_lock(Lock lock, std::error_code& error) noexcept {
    error.clear();
    const int operation = (lock == Lock::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    for (;;) {
        if (::flock(static_cast<int>(native_), operation) == 0) {
            locked_ = true;
            return true;
        }
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            error = last_error();
        return false;
    }
}

void File::unlock() noexcept {
    if (locked_ && native_ != kClosed)
        ::flock(static_cast<int>(native_), LOCK_UN);
    locked_ = false;
}

FileStatus File::status(std::error_code& error) const noexcept {
    error.clear();
    struct stat info {};
    if (::fstat(static_cast<int>(native_), &info) != 0) {
        error = last_error();
        return {};
    }
    return status_of(info);
}

void rename_replace(const std::filesystem::path& from, const std::filesystem::path& to,
                    std::error_code& error) noexcept {
    error.clear();
    if (::rename(from.c_str(), to.c_str()) != 0)
        error = last_error();
}

std::optional<FileStatus> file_status(const std::filesystem::path& path) noexcept {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return status_of(info);
}

bool set_file_times(const std::filesystem::path& path, const FileTimes& times) noexcept {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    // There is no settable creation time here: it is left out.
    timespec values[2];
    values[0] = times.access ? *times.access : timespec{0, UTIME_OMIT};
    values[1] = times.write ? *times.write : timespec{0, UTIME_OMIT};
    const bool set = ::futimens(fd, values) == 0;
    ::close(fd);
    return set;
}

FileProblem file_problem_of(const std::error_code& error) {
    if (error.category() != std::generic_category() && error.category() != std::system_category())
        return FileProblem::Other;
    switch (error.value()) {
    case ENOENT:
        return FileProblem::NotFound;
    case EACCES:
    case EPERM:
        return FileProblem::PermissionDenied;
    case EROFS:
        return FileProblem::ReadOnly;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return FileProblem::DiskFull;
    case ENOTDIR:
        return FileProblem::NotAFolder;
    case EISDIR:
        return FileProblem::IsAFolder;
    case ELOOP:
        return FileProblem::Link;
    default:
        return FileProblem::Other;
    }
}

EntryKind entry_kind(const std::filesystem::path& path) noexcept {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return EntryKind::None;
    if (S_ISLNK(info.st_mode))
        return EntryKind::Link;
    if (S_ISDIR(info.st_mode))
        return EntryKind::Folder;
    if (S_ISREG(info.st_mode))
        return EntryKind::File;
    return EntryKind::Other;
}

bool remove_file(const std::filesystem::path& path) noexcept {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT;
    if (S_ISDIR(info.st_mode))
        return false;
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

void sync_folder(const std::filesystem::path& folder) noexcept {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

void swap_in_file(const std::filesystem::path& target, const std::filesystem::path& staged,
                  const std::filesystem::path& backup) {
    remove_file(backup);
    if (::link(target.c_str(), backup.c_str()) == 0) {
        rename_replace(staged, target);
        return;
    }
    // Without hard links the old file moves aside first: a moment follows
    // with nothing under the name.
    rename_replace(target, backup);
    try {
        rename_replace(staged, target);
    } catch (...) {
        ::rename(backup.c_str(), target.c_str());
        throw;
    }
}

void make_executable(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        throw file_error("Cannot read the permissions of", path, last_error());
    // Execute for everyone who may read, as a freshly installed program has.
    const mode_t readers = info.st_mode & (S_IRUSR | S_IRGRP | S_IROTH);
    if (::chmod(path.c_str(), (info.st_mode & 07777) | S_IXUSR | (readers >> 2)) != 0)
        throw file_error("Cannot make executable", path, last_error());
}

} // namespace launcher::platform
