#pragma once

// TEMPORARY. Two files of the core still make POSIX calls of their own and
// are being reworked elsewhere: src/download/target_file.cpp (open, ftruncate,
// pwrite, close) and src/update/packed_files.cpp (open, flock, pwrite, read,
// write, close). Until they move onto platform/file.h (platform::File), the
// Windows build force-includes this header into exactly those two files
// (src/CMakeLists.txt) and nowhere else. Delete it with that port.
//
// It maps the calls onto the C run-time's descriptors, binary mode, with
// positional writes and whole-file locks through the descriptor's handle.

#define _FILE_OFFSET_BITS 64 // an off_t of 64 bits: files past 2 GiB

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <windows.h>

// Every open in those files passes O_CLOEXEC: not inherited, and binary (the
// run-time would otherwise turn "\n" into "\r\n").
#ifndef O_CLOEXEC
#define O_CLOEXEC (_O_NOINHERIT | _O_BINARY)
#endif

#define LOCK_SH 1
#define LOCK_EX 2
#define LOCK_NB 4
#define LOCK_UN 8

namespace launcher::platform::posix_bridge {

inline HANDLE handle_of(int fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

} // namespace launcher::platform::posix_bridge

// std::filesystem::path::c_str() is wide on Windows.
inline int open(const wchar_t* path, int flags, int mode = 0) {
    return ::_wopen(path, flags, mode & (_S_IREAD | _S_IWRITE));
}

// A write at an offset; like POSIX pwrite it leaves the descriptor's
// position where it was (a positional WriteFile would move it).
inline ssize_t pwrite(int fd, const void* data, std::size_t size, off_t offset) {
    HANDLE handle = launcher::platform::posix_bridge::handle_of(fd);
    LARGE_INTEGER position{};
    const LARGE_INTEGER none{};
    ::SetFilePointerEx(handle, none, &position, FILE_CURRENT);
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset));
    where.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    DWORD written = 0;
    const BOOL done = ::WriteFile(handle, data, static_cast<DWORD>(size), &written, &where);
    ::SetFilePointerEx(handle, position, nullptr, FILE_BEGIN);
    if (!done) {
        errno = EIO;
        return -1;
    }
    return static_cast<ssize_t>(written);
}

inline int flock(int fd, int operation) {
    HANDLE handle = launcher::platform::posix_bridge::handle_of(fd);
    OVERLAPPED whole{};
    if (operation & LOCK_UN)
        return ::UnlockFileEx(handle, 0, MAXDWORD, MAXDWORD, &whole) ? 0 : -1;
    DWORD flags = (operation & LOCK_EX) ? LOCKFILE_EXCLUSIVE_LOCK : 0;
    if (operation & LOCK_NB)
        flags |= LOCKFILE_FAIL_IMMEDIATELY;
    if (::LockFileEx(handle, flags, 0, MAXDWORD, MAXDWORD, &whole))
        return 0;
    errno = ::GetLastError() == ERROR_LOCK_VIOLATION ? EWOULDBLOCK : EIO;
    return -1;
}
