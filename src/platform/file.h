#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <time.h>
#include <utility>
#include <vector>

namespace launcher::platform {

// What went wrong with a file, in the terms a player can act on.
enum class FileProblem {
    Other,
    NotFound,
    PermissionDenied, // the folder or file may not be written (or read)
    ReadOnly,         // the file system is mounted read-only
    DiskFull,
    NotAFolder, // a file stands where a folder is needed
    IsAFolder,  // a folder stands where a file is needed
    Link,       // a symbolic link stands where a file or folder is needed
};

// The problem a system error stands for.
FileProblem file_problem_of(const std::error_code& error);

class FileError : public std::runtime_error {
public:
    explicit FileError(const std::string& message, FileProblem problem = FileProblem::Other,
                       std::filesystem::path path = {})
        : std::runtime_error(message), problem_(problem), path_(std::move(path)) {}

    FileProblem problem() const { return problem_; }
    // The file or folder concerned; empty when unknown.
    const std::filesystem::path& path() const { return path_; }
    // A local problem of the player's disk (as opposed to a missing file).
    bool is_disk_problem() const { return problem_ != FileProblem::NotFound; }

private:
    FileProblem problem_;
    std::filesystem::path path_;
};

// A FileError "<what> <path>: <the system's words>", classified.
FileError file_error(std::string_view what, const std::filesystem::path& path,
                     const std::error_code& error);

// What a file is on disk, as the open file or the name shows it.
struct FileStatus {
    bool regular = false; // a plain file (not a folder, device, pipe or link)
    std::uint64_t size = 0;
    timespec modified{}; // last-write time, universal, since 1 January 1970
    timespec accessed{}; // last-access time, likewise (not compared)

    bool operator==(const FileStatus& other) const {
        return regular == other.regular && size == other.size &&
               modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
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
        // An existing file, for reading and writing; a symbolic link at the
        // name is refused, not followed (POSIX).
        ReadWrite,
        // A new file, for reading and writing. Fails when the name exists in
        // any form, a symbolic link included (a link is never followed).
        CreateExclusive,
        // For reading and writing: created when missing, emptied when
        // present; a symbolic link at the name is refused, not followed
        // (POSIX).
        Truncate,
        // CreateExclusive, readable and writable by its owner only (a
        // secret key).
        CreatePrivate,
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

    // The launcher's own files, never written through a link:
    // A new, empty file. Whatever stands at `path` that is not a folder (an
    // old file, a symbolic link) is removed first, then the file is created
    // exclusively, so the write can never land outside the folder it names.
    static File create_new(const std::filesystem::path& path);
    // create_new, except that a regular file already at `path` is emptied and
    // reused rather than removed: the file system then need not find a new
    // inode, which costs when a temporary file is rewritten many times.
    static File create_or_empty(const std::filesystem::path& path);
    // create_new, except that a regular file already at `path` is opened as
    // it is, its old content kept: for a caller that sizes the file and then
    // writes every byte of it. Emptying a file waits for the writeback of
    // its old pages; overwriting them does not.
    static File create_or_reuse(const std::filesystem::path& path);
    // An existing regular file for reading and writing in place; a link
    // there is refused.
    static File open_read_write(const std::filesystem::path& path);

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
    std::size_t read(void* data, std::size_t size) {
        return read(std::span(static_cast<std::uint8_t*>(data), size));
    }
    // Reads up to `size` bytes at `offset`, leaving the position alone; safe
    // from several threads at once.
    std::size_t read_at(std::uint64_t offset, void* data, std::size_t size) const;
    // Reads until `buffer` is full or the file ends; how many bytes it holds.
    std::size_t read_full(std::span<std::uint8_t> buffer);
    std::size_t read_full(std::span<std::uint8_t> buffer, std::error_code& error) noexcept;

    // Writes all of `bytes` at the current position and moves past them.
    void write(std::span<const std::uint8_t> bytes);
    void write(std::span<const std::uint8_t> bytes, std::error_code& error) noexcept;
    void write(const void* data, std::size_t size) {
        write(std::span(static_cast<const std::uint8_t*>(data), size));
    }
    void write(std::string_view text) { write(text.data(), text.size()); }

    // Writes all of `bytes` at `offset`; the current position stays where it
    // was. Several threads may write disjoint ranges of one File at once.
    void write_at(std::uint64_t offset, std::span<const std::uint8_t> bytes) const;
    void write_at(std::uint64_t offset, std::span<const std::uint8_t> bytes,
                  std::error_code& error) const noexcept;
    void write_at(std::uint64_t offset, const void* data, std::size_t size) const {
        write_at(offset, std::span(static_cast<const std::uint8_t*>(data), size));
    }

    // Moves the current position to `offset` from the start.
    void seek(std::uint64_t offset);
    void seek(std::uint64_t offset, std::error_code& error) noexcept;

    // Cuts the file or extends it with zero bytes to `size`.
    void set_size(std::uint64_t size);
    void set_size(std::uint64_t size, std::error_code& error) noexcept;

    // Asks the system to start writing this range to the disk without
    // waiting for it (where it can), so that a later `sync` of a large file
    // has little left to wait for.
    void start_writeback(std::uint64_t offset, std::uint64_t length) const noexcept;

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
    std::uint64_t size() const { return status().size; }

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

// What stands at a path, without following a link there.
enum class EntryKind { None, File, Folder, Link, Other };
EntryKind entry_kind(const std::filesystem::path& path) noexcept;

// Removes a file or a symbolic link (never what a link points at, never a
// folder). True when nothing stands at `path` afterwards.
bool remove_file(const std::filesystem::path& path) noexcept;

// The first folder of `relative` below `base` (each component in turn) that
// is a symbolic link, or an empty path when none is. `base` itself is not
// looked at: the player chose where the game is.
std::filesystem::path first_link_below(const std::filesystem::path& base,
                                       const std::filesystem::path& relative);

// Creates `relative` below `base` folder by folder. Throws FileError when a
// component is a link (nothing is created through it) or cannot be made.
void make_folders(const std::filesystem::path& base, const std::filesystem::path& relative);

// The names (UTF-8) of the entries of a folder; empty when it cannot be read.
std::vector<std::string> folder_entries(const std::filesystem::path& folder);

// Makes a rename inside `folder` durable (on systems that need it).
void sync_folder(const std::filesystem::path& folder) noexcept;

// Copies the content of `source` into the file `target` (made as
// File::create_or_empty does). Throws FileError.
void copy_file_to(const std::filesystem::path& source, const std::filesystem::path& target);

// Puts `staged` under the name `target` and keeps the file that stood there
// as `backup` (an older backup is replaced). Where the system allows it,
// something stands under `target` at every moment: on POSIX systems the old
// file is linked to `backup` and the staged one renamed over it in one step;
// on Windows, where a running program cannot be replaced but can be renamed,
// it moves aside first. Throws FileError; `target` then names the old file.
void swap_in_file(const std::filesystem::path& target, const std::filesystem::path& staged,
                  const std::filesystem::path& backup);

// Gives the file execute permission for everyone who may read it (nothing to
// do on Windows).
void make_executable(const std::filesystem::path& path);

// Six letters and digits that differ from call to call, for temporary names.
std::string random_suffix();

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
