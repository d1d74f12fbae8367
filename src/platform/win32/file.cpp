#include "platform/file.h"

#include "platform/win32/file_time.h"
#include "platform/win32/win32_text.h"

#include <algorithm>
#include <cerrno>
#include <limits>

namespace launcher::platform {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The largest transfer one ReadFile or WriteFile call is asked for.
constexpr std::size_t kMaxTransfer = std::size_t{1} << 30;

HANDLE handle_of(std::intptr_t native) {
    return reinterpret_cast<HANDLE>(native);
}

struct OpenSpec {
    DWORD access;
    DWORD share;
    DWORD disposition;
};

OpenSpec spec_of(File::Mode mode) {
    switch (mode) {
    case File::Mode::Read:
        return {GENERIC_READ, kShareAll, OPEN_EXISTING};
    case File::Mode::ReadDenyWrite:
        return {GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING};
    case File::Mode::ReadWrite:
        return {GENERIC_READ | GENERIC_WRITE, kShareAll, OPEN_EXISTING};
    case File::Mode::CreateExclusive:
    case File::Mode::CreatePrivate: // a user's new file is the user's alone by default
        // CREATE_NEW fails on any existing name, a link included.
        return {GENERIC_READ | GENERIC_WRITE, kShareAll, CREATE_NEW};
    case File::Mode::Truncate:
        return {GENERIC_READ | GENERIC_WRITE, kShareAll, CREATE_ALWAYS};
    }
    return {GENERIC_READ, kShareAll, OPEN_EXISTING};
}

FileStatus status_of(HANDLE handle, std::error_code& error) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        error = win32::last_error();
        return {};
    }
    FileStatus status;
    status.regular =
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0 &&
        ::GetFileType(handle) == FILE_TYPE_DISK;
    status.size = std::uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
    status.modified = win32::timespec_of(info.ftLastWriteTime);
    status.accessed = win32::timespec_of(info.ftLastAccessTime);
    return status;
}

OVERLAPPED overlapped_at(std::uint64_t offset) {
    OVERLAPPED overlapped{};
    overlapped.Offset = static_cast<DWORD>(offset);
    overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return overlapped;
}

} // namespace

File File::open(const std::filesystem::path& path, Mode mode, std::error_code& error) noexcept {
    error.clear();
    const OpenSpec spec = spec_of(mode);
    // No security attributes: the handle is not inherited by started programs.
    HANDLE handle = ::CreateFileW(path.c_str(), spec.access, spec.share, nullptr, spec.disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = win32::last_error();
        return {};
    }
    try {
        return File(reinterpret_cast<std::intptr_t>(handle), path);
    } catch (...) {
        ::CloseHandle(handle);
        error = std::make_error_code(std::errc::not_enough_memory);
        return {};
    }
}

void File::close_quietly() noexcept {
    if (native_ != kClosed)
        ::CloseHandle(handle_of(native_));
    native_ = kClosed;
    locked_ = false;
}

void File::close(std::error_code& error) noexcept {
    error.clear();
    if (native_ == kClosed)
        return;
    HANDLE handle = handle_of(std::exchange(native_, kClosed));
    locked_ = false;
    if (!::CloseHandle(handle))
        error = win32::last_error();
}

std::size_t File::read(std::span<std::uint8_t> buffer, std::error_code& error) noexcept {
    error.clear();
    DWORD got = 0;
    const auto wanted = static_cast<DWORD>(std::min(buffer.size(), kMaxTransfer));
    OVERLAPPED where = overlapped_at(position_);
    if (!::ReadFile(handle_of(native_), buffer.data(), wanted, &got, &where)) {
        if (::GetLastError() == ERROR_BROKEN_PIPE || ::GetLastError() == ERROR_HANDLE_EOF)
            return 0;
        error = win32::last_error();
        return 0;
    }
    position_ += got;
    return got;
}

std::size_t File::read_at(std::uint64_t offset, void* data, std::size_t size) const {
    DWORD got = 0;
    OVERLAPPED where = overlapped_at(offset);
    if (!::ReadFile(handle_of(native_), data, static_cast<DWORD>(std::min(size, kMaxTransfer)),
                    &got, &where)) {
        if (::GetLastError() == ERROR_HANDLE_EOF)
            return 0;
        fail("Cannot read file", win32::last_error());
    }
    return got;
}

void File::write(std::span<const std::uint8_t> bytes, std::error_code& error) noexcept {
    const std::uint64_t start = position_;
    write_at(start, bytes, error);
    position_ = start + (error ? 0 : bytes.size());
}

void File::write_at(std::uint64_t offset, std::span<const std::uint8_t> bytes,
                    std::error_code& error) const noexcept {
    error.clear();
    while (!bytes.empty()) {
        // An offset in the OVERLAPPED structure makes a write positional
        // even on a handle opened for synchronous use; the handle's own
        // position it moves is never used (see position_).
        OVERLAPPED where = overlapped_at(offset);
        DWORD written = 0;
        const auto size = static_cast<DWORD>(std::min(bytes.size(), kMaxTransfer));
        if (!::WriteFile(handle_of(native_), bytes.data(), size, &written, &where)) {
            error = win32::last_error();
            return;
        }
        if (written == 0) {
            error = std::make_error_code(std::errc::io_error);
            return;
        }
        bytes = bytes.subspan(written);
        offset += written;
    }
}

void File::seek(std::uint64_t offset, std::error_code& error) noexcept {
    error.clear();
    position_ = offset;
}

void File::set_size(std::uint64_t size, std::error_code& error) noexcept {
    error.clear();
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFileInformationByHandle(handle_of(native_), FileEndOfFileInfo, &end, sizeof end))
        error = win32::last_error();
}

void File::start_writeback(std::uint64_t, std::uint64_t) const noexcept {
    // The cache manager writes behind on its own.
}

void File::sync(std::error_code& error) noexcept {
    error.clear();
    if (!::FlushFileBuffers(handle_of(native_)))
        error = win32::last_error();
}

bool File::try_lock(Lock lock, std::error_code& error) noexcept {
    error.clear();
    OVERLAPPED whole = overlapped_at(0);
    const DWORD flags =
        LOCKFILE_FAIL_IMMEDIATELY | (lock == Lock::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (::LockFileEx(handle_of(native_), flags, 0, MAXDWORD, MAXDWORD, &whole)) {
        locked_ = true;
        return true;
    }
    if (::GetLastError() != ERROR_LOCK_VIOLATION)
        error = win32::last_error();
    return false;
}

void File::unlock() noexcept {
    if (locked_ && native_ != kClosed) {
        OVERLAPPED whole = overlapped_at(0);
        ::UnlockFileEx(handle_of(native_), 0, MAXDWORD, MAXDWORD, &whole);
    }
    locked_ = false;
}

FileStatus File::status(std::error_code& error) const noexcept {
    error.clear();
    return status_of(handle_of(native_), error);
}

void rename_replace(const std::filesystem::path& from, const std::filesystem::path& to,
                    std::error_code& error) noexcept {
    error.clear();
    if (!::MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = win32::last_error();
}

std::optional<FileStatus> file_status(const std::filesystem::path& path) noexcept {
    // Opened for its attributes only, links followed; folders need backup
    // semantics to be opened at all.
    HANDLE handle = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::error_code error;
    const FileStatus status = status_of(handle, error);
    ::CloseHandle(handle);
    if (error)
        return std::nullopt;
    return status;
}

bool set_file_times(const std::filesystem::path& path, const FileTimes& times) noexcept {
    // The link itself is opened, so that a link can be told and refused.
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    bool set = false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileInformationByHandle(handle, &info) &&
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0) {
        FILETIME creation{};
        FILETIME access{};
        FILETIME write{};
        if (times.creation)
            creation = win32::file_time_of(*times.creation);
        if (times.access)
            access = win32::file_time_of(*times.access);
        if (times.write)
            write = win32::file_time_of(*times.write);
        set = ::SetFileTime(handle, times.creation ? &creation : nullptr,
                            times.access ? &access : nullptr, times.write ? &write : nullptr);
    }
    ::CloseHandle(handle);
    return set;
}

FileProblem file_problem_of(const std::error_code& error) {
    if (error.category() != std::system_category())
        return error.category() == std::generic_category() && error.value() == ENOENT
                   ? FileProblem::NotFound
                   : FileProblem::Other;
    switch (error.value()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return FileProblem::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return FileProblem::PermissionDenied;
    case ERROR_WRITE_PROTECT:
        return FileProblem::ReadOnly;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return FileProblem::DiskFull;
    case ERROR_DIRECTORY:
        return FileProblem::NotAFolder;
    case ERROR_CANT_RESOLVE_FILENAME:
        return FileProblem::Link;
    default:
        return FileProblem::Other;
    }
}

EntryKind entry_kind(const std::filesystem::path& path) noexcept {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return EntryKind::None;
    // Symbolic links and junctions are reparse points; neither is followed.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return EntryKind::Link;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return EntryKind::Folder;
    if (attributes & FILE_ATTRIBUTE_DEVICE)
        return EntryKind::Other;
    return EntryKind::File;
}

bool remove_file(const std::filesystem::path& path) noexcept {
    const EntryKind kind = entry_kind(path);
    if (kind == EntryKind::None)
        return true;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (kind == EntryKind::Folder ||
        (kind == EntryKind::Link && (attributes & FILE_ATTRIBUTE_DIRECTORY)))
        return false; // a folder, or a link to one (removing it needs RemoveDirectory)
    if (attributes & FILE_ATTRIBUTE_READONLY)
        ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return ::DeleteFileW(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

void sync_folder(const std::filesystem::path&) noexcept {
    // NTFS keeps its names in its journal; there is no folder to flush.
}

void swap_in_file(const std::filesystem::path& target, const std::filesystem::path& staged,
                  const std::filesystem::path& backup) {
    // A running program cannot be replaced, only renamed: it moves aside,
    // and the new one takes its name right after.
    remove_file(backup);
    rename_replace(target, backup);
    std::error_code error;
    rename_replace(staged, target, error);
    if (error) {
        std::error_code ignored;
        rename_replace(backup, target, ignored);
        throw file_error("Cannot replace", target, error);
    }
}

void make_executable(const std::filesystem::path&) {
    // Whether a file runs is decided by its name and content here.
}

} // namespace launcher::platform
