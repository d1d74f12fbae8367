#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace launcher::platform {

// A new file being written from the start (a file of that name is replaced).
// Closing it does not flush it to the disk: files that must survive a power
// loss are flushed together with `flush_to_disk`, which costs one disk flush
// for many files where the system allows it.
class OutputFile {
public:
    // Throws FileError when the file cannot be created.
    explicit OutputFile(std::filesystem::path path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Appends all of `bytes`; throws FileError (a full disk, say).
    void write(std::span<const std::uint8_t> bytes);
    // Closes the file, throwing FileError when the system reports a late
    // write error. The destructor closes a file that was not closed.
    void close();

private:
    std::filesystem::path path_;
    std::intptr_t handle_ = -1; // a file descriptor here
};

// Makes the content of these files, and the entries of these folders (names
// created, renamed or removed in them), durable: after it returns a power
// loss loses none of them. Throws FileError.
void flush_to_disk(const std::vector<std::filesystem::path>& paths);

} // namespace launcher::platform
