#pragma once

#include <cstdint>
#include <filesystem>

namespace launcher::platform {

// An exclusive lock on a folder among the programs that take it, held while
// the object lives and dropped when the process ends in any way.
class FolderLock {
public:
    // Throws FileError when the folder cannot be opened or another holder
    // has the lock ("... is locked by another program").
    explicit FolderLock(const std::filesystem::path& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    std::intptr_t handle_ = -1; // a file descriptor here
};

} // namespace launcher::platform
