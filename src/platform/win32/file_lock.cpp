#include "platform/file_lock.h"

#include "platform/file.h"
#include "platform/win32/win32_text.h"

namespace launcher::platform {

std::optional<FileLock> FileLock::TryTake(const std::filesystem::path& path) {
    // Not inheritable (no security attributes): a game client started later
    // must not keep the folder locked after the launcher ended.
    HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw file_error("Cannot open the lock file", path, win32::last_error());
    OVERLAPPED at{};
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(file);
        if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING)
            return std::nullopt;
        throw file_error("Cannot lock", path, win32::error_code_of(error));
    }
    return FileLock(reinterpret_cast<std::intptr_t>(file));
}

void FileLock::release() noexcept {
    if (handle_ != -1)
        ::CloseHandle(reinterpret_cast<HANDLE>(handle_)); // the lock goes with the handle
    handle_ = -1;
}

} // namespace launcher::platform
