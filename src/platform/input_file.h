#pragma once

#include "platform/file.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

namespace launcher::platform {

// A regular file opened for reading while no writer may change it (a shared
// lock here, share modes on Windows), so a writer that holds the file keeps
// us out rather than let us read it half-written.
class InputFile {
public:
    // Throws FileError "Cannot open file <name>: <reason>" when the file
    // cannot be opened, is no regular file or is held by a writer.
    explicit InputFile(std::filesystem::path path);

    const std::filesystem::path& path() const { return file_.path(); }

    // Reads up to `buffer.size()` bytes; fewer only at the end of the file.
    // Throws FileError "Cannot read file <name>: <reason>".
    std::size_t read(std::span<std::uint8_t> buffer) { return file_.read_full(buffer); }
    // Back to the first byte.
    void rewind() { file_.seek(0); }
    // The file's size and time as they are now.
    FileStatus status() const { return file_.status(); }

private:
    File file_;
};

} // namespace launcher::platform
