#pragma once

#include "platform/file.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace launcher::platform {

// A new file being written from the start (a file or a link of that name is
// replaced, never written through). Closing it does not flush it to the
// disk: files that must survive a power loss are flushed together with
// `flush_to_disk`, which costs one disk flush for many files where the system
// allows it.
class OutputFile {
public:
    // Throws FileError when the file cannot be created.
    explicit OutputFile(const std::filesystem::path& path) : file_(File::create_new(path)) {}

    const std::filesystem::path& path() const { return file_.path(); }

    // Appends all of `bytes`; throws FileError (a full disk, say).
    void write(std::span<const std::uint8_t> bytes) { file_.write(bytes); }
    // Closes the file, throwing FileError when the system reports a late
    // write error. The destructor closes a file that was not closed.
    void close() { file_.close(); }

private:
    File file_;
};

// Makes the content of these files, and the entries of these folders (names
// created, renamed or removed in them), durable: after it returns a power
// loss loses none of them. Throws FileError.
void flush_to_disk(const std::vector<std::filesystem::path>& paths);

} // namespace launcher::platform
