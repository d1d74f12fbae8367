#pragma once

#include "platform/file.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>

namespace launcher {

// The file a download writes into, open for writing. Segment workers write
// their bytes straight into their place with positional writes, which are
// safe from several threads at once because the ranges do not overlap.
class TargetFile {
public:
    TargetFile() = default;
    TargetFile(const TargetFile&) = delete;
    TargetFile& operator=(const TargetFile&) = delete;

    // Creates the file with `length` zero bytes; an old file or a link at
    // the path is replaced, never written through. Returns false when it
    // cannot be created or sized (the reason is kept); nothing is left open.
    bool create(const std::filesystem::path& path, std::int64_t length);

    // Writes all of `data` at `offset`; false on a write error (the first
    // one is kept).
    bool write_at(std::int64_t offset, const char* data, std::size_t size) const;

    bool is_open() const { return file_.is_open(); }
    void close();

    // Why creating or writing the file failed, when it did: a problem of the
    // local disk, not of the server.
    std::optional<platform::FileError> failure() const;

private:
    void keep_failure(const platform::FileError& error) const;

    platform::File file_;
    mutable std::mutex failure_mutex_;
    mutable std::optional<platform::FileError> failure_;
};

} // namespace launcher
