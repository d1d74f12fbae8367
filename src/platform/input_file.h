#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <time.h>

namespace launcher::platform {

// Size and last-write time (universal) of an open file.
struct InputFileStatus {
    std::int64_t size = 0;
    timespec modified{};

    bool operator==(const InputFileStatus& other) const {
        return size == other.size && modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

// The size and time of the file at `path` (links followed); throws FileError.
InputFileStatus file_status(const std::filesystem::path& path);

// A regular file opened for reading under a shared lock, so a writer that
// locks the file keeps us out rather than let us read it half-written.
class InputFile {
public:
    // Throws FileError "Cannot open file <name>: <reason>" when the file
    // cannot be opened, is no regular file or is locked by a writer.
    explicit InputFile(std::filesystem::path path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Reads up to `buffer.size()` bytes; fewer only at the end of the file.
    // Throws FileError "Cannot read file <name>: <reason>".
    std::size_t read(std::span<std::uint8_t> buffer);
    // Back to the first byte.
    void rewind();
    // The file's size and time as they are now.
    InputFileStatus status() const;

private:
    std::filesystem::path path_;
    std::intptr_t handle_ = -1; // a file descriptor here
};

} // namespace launcher::platform
