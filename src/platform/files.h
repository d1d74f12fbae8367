#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace launcher::platform {

using Bytes = std::vector<std::uint8_t>;

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

// The problem a system error number stands for.
FileProblem file_problem_of(int system_error);

// A FileError "<what> <path>: <system text>" for the system error number.
FileError file_error(std::string_view what, const std::filesystem::path& path, int system_error);

// The whole content of a file; throws FileError when it cannot be read.
Bytes read_file(const std::filesystem::path& path);
std::string read_file_text(const std::filesystem::path& path);

// Writes `content` to a temporary file beside `path`, flushes it to disk and
// renames it into place, so a crash leaves either the old file or the new
// one, never a truncated one. Throws FileError on failure (the old file stays).
void write_file_atomic(const std::filesystem::path& path, std::string_view content);

// Plain replacing write, for files where a torn write loses nothing (logs).
// Returns false instead of throwing.
bool write_file(const std::filesystem::path& path, std::string_view content) noexcept;

// The running executable's path and folder.
std::filesystem::path executable_path();

// Turns a backslash-separated relative name of the game ("\system\jux.ini")
// into a path below `base`.
std::filesystem::path native_path(const std::filesystem::path& base, std::string_view name);

} // namespace launcher::platform
