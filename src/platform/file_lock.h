#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace launcher::platform {

// An exclusive lock on a lock file (flock here, LockFileEx on Windows), held
// while the object lives and dropped by the system when the process ends in
// any way, a kill included. Programs this process starts do not inherit it.
class FileLock {
public:
    // Takes the lock on `path`, making the file when it is missing (a link
    // there is not followed). None when another process holds it; throws
    // FileError when the file cannot be opened or locked.
    static std::optional<FileLock> TryTake(const std::filesystem::path& path);

    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    explicit FileLock(std::intptr_t handle) : handle_(handle) {}
    void release() noexcept;

    std::intptr_t handle_ = -1; // a file descriptor here, a HANDLE on Windows
};

} // namespace launcher::platform
