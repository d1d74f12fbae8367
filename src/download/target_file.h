#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace launcher {

// The file a download writes into, open for writing. Segment workers write
// their bytes straight into their place with positional writes, which are
// safe from several threads at once because the ranges do not overlap.
class TargetFile {
public:
    TargetFile() = default;
    ~TargetFile();
    TargetFile(const TargetFile&) = delete;
    TargetFile& operator=(const TargetFile&) = delete;

    // Creates the file (replacing an existing one) with `length` zero bytes.
    // Returns false when it cannot be created or sized; nothing is left open.
    bool create(const std::filesystem::path& path, std::int64_t length);

    // Writes all of `data` at `offset`; false on a write error.
    bool write_at(std::int64_t offset, const char* data, std::size_t size) const;

    bool is_open() const { return descriptor_ >= 0; }
    void close();

private:
    int descriptor_ = -1;
};

} // namespace launcher
