#include "platform/file.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace launcher::platform {
namespace {

[[noreturn]] void fail(std::string_view what, const std::filesystem::path& path) {
    throw file_error(what, path, errno);
}

} // namespace

File::~File() {
    close();
}

File::File(File&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), path_(std::move(other.path_)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        descriptor_ = std::exchange(other.descriptor_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

File File::open_read(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        fail("Cannot open file", path);
    return File(fd, path);
}

File File::open_read_write(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        fail("Cannot open file", path);
    return File(fd, path);
}

File File::create_new(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            errno = EISDIR;
            fail("Cannot create", path);
        }
        if (::unlink(path.c_str()) != 0 && errno != ENOENT)
            fail("Cannot replace", path);
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        fail("Cannot create", path);
    return File(fd, path);
}

File File::create_or_empty(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0)
            return File(fd, path);
    }
    return create_new(path);
}

File File::create_exclusive(const std::filesystem::path& path, bool owner_only) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          owner_only ? 0600 : 0644);
    if (fd < 0)
        fail("Cannot create", path);
    return File(fd, path);
}

std::size_t File::read(void* data, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(descriptor_, data, size);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            fail("Cannot read", path_);
    }
}

std::size_t File::read_at(std::int64_t offset, void* data, std::size_t size) const {
    for (;;) {
        const ssize_t n = ::pread(descriptor_, data, size, static_cast<off_t>(offset));
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            fail("Cannot read", path_);
    }
}

void File::write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(descriptor_, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            fail("Cannot write", path_);
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
}

void File::write_at(std::int64_t offset, const void* data, std::size_t size) const {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(descriptor_, bytes, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            fail("Cannot write", path_);
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
}

void File::set_size(std::int64_t size) {
    if (::ftruncate(descriptor_, static_cast<off_t>(size)) != 0)
        fail("Cannot size", path_);
}

std::int64_t File::size() const {
    struct stat info {};
    if (::fstat(descriptor_, &info) != 0)
        fail("Cannot read the size of", path_);
    return static_cast<std::int64_t>(info.st_size);
}

void File::sync() {
    if (::fsync(descriptor_) != 0)
        fail("Cannot flush", path_);
}

void File::close() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
    descriptor_ = -1;
}

void copy_file_to(const std::filesystem::path& source, const std::filesystem::path& target) {
    File from = File::open_read(source);
    File to = File::create_or_empty(target);
    std::vector<char> block(1 << 20);
    while (const std::size_t n = from.read(block.data(), block.size()))
        to.write(block.data(), n);
}

void rename_replace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        fail("Cannot replace", to);
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
        fail("Cannot read the permissions of", path);
    // Execute for everyone who may read, as a freshly installed program has.
    const mode_t readers = info.st_mode & (S_IRUSR | S_IRGRP | S_IROTH);
    if (::chmod(path.c_str(), (info.st_mode & 07777) | S_IXUSR | (readers >> 2)) != 0)
        fail("Cannot make executable", path);
}

void hard_link(const std::filesystem::path& existing, const std::filesystem::path& alias) {
    if (::link(existing.c_str(), alias.c_str()) != 0)
        fail("Cannot link", alias);
}

bool remove_file(const std::filesystem::path& path) noexcept {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT;
    if (S_ISDIR(info.st_mode))
        return false;
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
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

std::filesystem::path first_link_below(const std::filesystem::path& base,
                                       const std::filesystem::path& relative) {
    std::filesystem::path at = base;
    for (const auto& part : relative) {
        if (part.empty() || part == "/")
            continue;
        at /= part;
        const EntryKind kind = entry_kind(at);
        if (kind == EntryKind::Link)
            return at;
        if (kind == EntryKind::None)
            break; // nothing further down exists yet
    }
    return {};
}

void make_folders(const std::filesystem::path& base, const std::filesystem::path& relative) {
    std::filesystem::path at = base;
    for (const auto& part : relative) {
        if (part.empty() || part == "/")
            continue;
        at /= part;
        switch (entry_kind(at)) {
        case EntryKind::Folder:
            continue;
        case EntryKind::Link:
            errno = ELOOP;
            fail("Cannot create the folder", at);
        case EntryKind::None:
            if (::mkdir(at.c_str(), 0755) != 0 && errno != EEXIST)
                fail("Cannot create the folder", at);
            if (entry_kind(at) != EntryKind::Folder) {
                errno = ENOTDIR;
                fail("Cannot create the folder", at);
            }
            continue;
        default:
            errno = ENOTDIR;
            fail("Cannot create the folder", at);
        }
    }
}

std::vector<std::string> folder_entries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

void sync_folder(const std::filesystem::path& folder) noexcept {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

std::string random_suffix() {
    static constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz0123456789";
    static std::atomic<std::uint64_t> counter{0};
    std::mt19937_64 random(
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        (static_cast<std::uint64_t>(::getpid()) << 32) ^ counter.fetch_add(1));
    std::string suffix(6, 'a');
    for (char& c : suffix)
        c = kLetters[random() % kLetters.size()];
    return suffix;
}

} // namespace launcher::platform
