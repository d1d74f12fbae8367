#pragma once

#include "platform/files.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace launcher::platform {

// An open file, closed when the object goes. Every failure throws FileError
// with the path and what the system said, classified as a `FileProblem`.
class File {
public:
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // An existing file for reading, or for reading and writing in place.
    static File open_read(const std::filesystem::path& path);
    static File open_read_write(const std::filesystem::path& path);
    // A new, empty file for writing. Whatever stands at `path` that is not a
    // folder (an old file, a symbolic link) is removed first, and the file is
    // then created exclusively without following links, so the write can
    // never land outside the folder it names.
    static File create_new(const std::filesystem::path& path);
    // `create_new`, except that a regular file already at `path` is emptied
    // and reused rather than removed: the file system then need not find a
    // new inode, which costs when a temporary file is rewritten many times.
    static File create_or_empty(const std::filesystem::path& path);
    // A file that must not exist yet (FileError when something stands at
    // `path`), readable and writable by its owner only when `owner_only`
    // (a secret key, say).
    static File create_exclusive(const std::filesystem::path& path, bool owner_only);

    bool is_open() const { return descriptor_ >= 0; }
    const std::filesystem::path& path() const { return path_; }

    // Reads up to `size` bytes; 0 at the end of the file.
    std::size_t read(void* data, std::size_t size);
    // Reads up to `size` bytes at `offset`, leaving the position alone.
    std::size_t read_at(std::int64_t offset, void* data, std::size_t size) const;
    // Appends all of `data` at the current position.
    void write(const void* data, std::size_t size);
    void write(std::string_view data) { write(data.data(), data.size()); }
    // Writes all of `data` at `offset`; safe from several threads at once
    // for ranges that do not overlap.
    void write_at(std::int64_t offset, const void* data, std::size_t size) const;
    void set_size(std::int64_t size);
    std::int64_t size() const;
    // Makes what was written durable before the call returns.
    void sync();
    void close();

private:
    File(int descriptor, std::filesystem::path path)
        : descriptor_(descriptor), path_(std::move(path)) {}

    int descriptor_ = -1;
    std::filesystem::path path_;
};

// Copies the content of `source` into the file `target` (made as
// File::create_or_empty does). Throws FileError.
void copy_file_to(const std::filesystem::path& source, const std::filesystem::path& target);

// Renames `from` to `to` in one step, replacing a file (or a link, which is
// replaced itself, never followed) that stands at `to`.
void rename_replace(const std::filesystem::path& from, const std::filesystem::path& to);

// Puts `staged` under the name `target` and keeps the file that stood
// there as `backup` (an older backup is replaced). Where the system allows
// it, something stands under `target` at every moment: the old file is
// linked to `backup` and the staged one then renamed over it in one step.
// Throws FileError; `target` then still names the old file.
void swap_in_file(const std::filesystem::path& target, const std::filesystem::path& staged,
                  const std::filesystem::path& backup);

// Gives the file execute permission for everyone who may read it.
void make_executable(const std::filesystem::path& path);

// Gives the file at `existing` a second name `alias` (a hard link), so that
// both names stand for the same content. Throws FileError, for example on a
// file system without hard links.
void hard_link(const std::filesystem::path& existing, const std::filesystem::path& alias);

// Removes a file or a symbolic link (never what a link points at, never a
// folder). True when nothing stands at `path` afterwards.
bool remove_file(const std::filesystem::path& path) noexcept;

// What stands at a path, without following a link there.
enum class EntryKind { None, File, Folder, Link, Other };
EntryKind entry_kind(const std::filesystem::path& path) noexcept;

// The first folder of `relative` below `base` (each component in turn) that
// is a symbolic link, or an empty path when none is. `base` itself is not
// looked at: the player chose where the game is.
std::filesystem::path first_link_below(const std::filesystem::path& base,
                                       const std::filesystem::path& relative);

// Creates `relative` below `base` folder by folder. Throws FileError when a
// component is a link (nothing is created through it) or cannot be made.
void make_folders(const std::filesystem::path& base, const std::filesystem::path& relative);

// The names of the entries of a folder; empty when it cannot be read.
std::vector<std::string> folder_entries(const std::filesystem::path& folder);

// Makes a rename inside `folder` durable (on systems that need it).
void sync_folder(const std::filesystem::path& folder) noexcept;

// Six letters and digits that differ from call to call, for temporary names.
std::string random_suffix();

} // namespace launcher::platform
