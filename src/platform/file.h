#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <time.h>
#include <utility>

namespace launcher::platform {

class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a file is on disk, as the open file or the name shows it.
struct FileStatus {
    bool regular = false; // a plain file (not a folder, device, pipe or link)
    std::uint64_t size = 0;
    timespec modified{}; // last-write time, universal, since 1 January 1970
};

// One open file of the file system, closed when the object goes.
//
// Every operation comes twice: one that throws FileError (with the file's
// name and the system's reason in its text) and one that reports through a
// std::error_code and never throws. Names are wide on Windows, bytes
// elsewhere: build paths from UTF-8 text with path_from_utf8.
//
// On POSIX systems this is a descriptor (opened close-on-exec); on Windows a
// handle, not inherited by started programs.
class File {
public:
    enum class Mode {
        // An existing file, for reading. Others may read, write, rename and
        // delete it meanwhile.
        Read,
        // An existing file, for reading, while nobody may write it: opening
        // fails when another holds it open for writing, and writers cannot
        // open it until it is closed (Windows share modes; POSIX systems
        // have none, so pair it with lock(Lock::Shared) there).
        ReadDenyWrite,
        // An existing file, for reading and writing.
        ReadWrite,
        // A new file, for reading and writing. Fails when the name exists in
        // any form, a symbolic link included (a link is never followed).
        CreateExclusive,
        // For reading and writing: created when missing, emptied when
        // present (an existing link is followed).
        Truncate,
    };

    enum class Lock {
        Shared,    // many may hold it; keeps exclusive holders out
        Exclusive, // keeps every other holder out
    };

    File() = default;
    // Opens `path`; throws FileError "Cannot open file <name>: <reason>".
    File(const std::filesystem::path& path, Mode mode);
    // Opens without throwing: a closed File and `error` set on failure.
    static File open(const std::filesystem::path& path, Mode mode, std::error_code& error) noexcept;

    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool is_open() const;
    const std::filesystem::path& path() const { return path_; }

    // Reads up to `buffer.size()` bytes at the current position and moves
    // past them; 0 at the end of the file.
    std::size_t read(std::span<std::uint8_t> buffer);
    std::size_t read(std::span<std::uint8_t> buffer, std::error_code& error) noexcept;
    // Reads until `buffer` is full or the file ends; how many bytes it holds.
    std::size_t read_full(std::span<std::uint8_t> buffer);
    std::size_t read_full(std::span<std::uint8_t> buffer, std::error_code& error) noexcept;

    // Writes all of `bytes` at the current position and moves past them.
    void write(std::span<const std::uint8_t> bytes);
    void write(std::span<const std::uint8_t> bytes, std::error_code& error) noexcept;

    // Writes all of `bytes` at `offset`; the current position stays where it
    // was. Several threads may write disjoint ranges of one File at once.
    void write_at(std::uint64_t offset, std::span<const std::uint8_t> bytes);
    void write_at(std::uint64_t offset, std::span<const std::uint8_t> bytes,
                  std::error_code& error) noexcept;

    // Moves the current position to `offset` from the start.
    void seek(std::uint64_t offset);
    void seek(std::uint64_t offset, std::error_code& error) noexcept;

    // Cuts the file or extends it with zero bytes to `size`.
    void set_size(std::uint64_t size);
    void set_size(std::uint64_t size, std::error_code& error) noexcept;

    // Waits until the content written so far is on the disk (fsync,
    // FlushFileBuffers).
    void sync();
    void sync(std::error_code& error) noexcept;

    // Takes an advisory lock on the whole file without waiting: false when
    // another holder keeps it out (and, with the error_code form, `error`
    // set only for other failures). Released by unlock or by closing.
    // POSIX: flock; Windows: LockFileEx, which other handles must respect
    // for reads and writes as well.
    bool try_lock(Lock lock);
    bool try_lock(Lock lock, std::error_code& error) noexcept;
    void unlock() noexcept;

    // Size, last-write time and kind of the open file.
    FileStatus status() const;
    FileStatus status(std::error_code& error) const noexcept;

    // Closes the file; a failure to close (data not written) is reported.
    void close();
    void close(std::error_code& error) noexcept;

private:
    // A descriptor on POSIX systems, a handle on Windows; -1 is closed on both.
    using Native = std::intptr_t;
    static constexpr Native kClosed = -1;

    File(Native native, std::filesystem::path path) : native_(native), path_(std::move(path)) {}
    [[noreturn]] void fail(const char* what, const std::error_code& error) const;
    void close_quietly() noexcept;

    Native native_ = kClosed;
    std::filesystem::path path_;
    bool locked_ = false;
    // Windows: the current position, kept here so that every transfer names
    // its offset and positional writes never move it (POSIX systems keep it
    // in the descriptor).
    std::uint64_t position_ = 0;
};

// Renames `from` to `to`, replacing a file that stands there, in one step: a
// reader of `to` sees the old file or the new one, never none. The rename
// reaches the disk before it returns (MoveFileExW with
// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH on Windows; rename on
// POSIX systems). On Windows a `to` that is open without delete sharing (a
// running program, a file being hashed) cannot be replaced: that is an error.
void rename_replace(const std::filesystem::path& from, const std::filesystem::path& to);
void rename_replace(const std::filesystem::path& from, const std::filesystem::path& to,
                    std::error_code& error) noexcept;

// The status of the file a name leads to (links followed); none when the
// name leads nowhere or cannot be looked at.
std::optional<FileStatus> file_status(const std::filesystem::path& path) noexcept;

// The times `set_file_times` sets; an empty one is left as it is.
struct FileTimes {
    std::optional<timespec> creation; // Windows only: POSIX systems have no settable one
    std::optional<timespec> access;
    std::optional<timespec> write;
};

// Sets the times of a regular file that may be written. A symbolic link is
// not followed: the call fails on one. False when the file is missing, not
// writable, a link, or the system refuses the times.
bool set_file_times(const std::filesystem::path& path, const FileTimes& times) noexcept;

// Creates a new, empty file in `folder` under a fresh name that begins with
// `prefix` (CreateExclusive with random letters after the prefix). Throws
// FileError when the folder cannot take one.
File create_temporary_file(const std::filesystem::path& folder, std::string_view prefix);

} // namespace launcher::platform
