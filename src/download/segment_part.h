#pragma once

#include "catalogue/md5.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace launcher {

class TargetFile;

// Where a segment worker puts the bytes of its range. A restarted attempt
// rewinds and overwrites the same offsets with the same bytes; the part is
// never truncated, so `size` is the most it has ever held.
class SegmentPart {
public:
    virtual ~SegmentPart() = default;
    virtual void rewind() = 0;
    // Appends at the current position; false when the bytes cannot be stored.
    virtual bool write(const char* data, std::size_t size) = 0;
    virtual std::int64_t size() const = 0;
};

// The part held in memory, for a worker used on its own.
class MemoryPart final : public SegmentPart {
public:
    void rewind() override { position_ = 0; }
    bool write(const char* data, std::size_t size) override;
    std::int64_t size() const override { return static_cast<std::int64_t>(bytes_.size()); }
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
    std::size_t position_ = 0;
};

// The part written straight into its place in the target file, so memory
// does not grow with the file. Bytes beyond the range are counted but not
// written: they would overwrite the neighbouring range.
class TargetRangePart final : public SegmentPart {
public:
    TargetRangePart(const TargetFile& target, std::int64_t first, std::int64_t length);
    void rewind() override;
    bool write(const char* data, std::size_t size) override;
    std::int64_t size() const override { return high_water_; }

    // Takes the MD5 of the range's bytes as they are written, so a caller
    // that checks the file's hash need not read it again.
    void DigestWhileWriting() { digest_.emplace(); }
    // The MD5 of the whole range, once every byte of it was written.
    std::optional<std::string> Digest() const;
    // How many bytes from the start of the range the current attempt has
    // written into the file; safe to read from any thread.
    std::int64_t Written() const { return written_.load(std::memory_order_acquire); }
    std::int64_t First() const { return first_; }
    std::int64_t Length() const { return length_; }

private:
    const TargetFile& target_;
    std::int64_t first_;
    std::int64_t length_;
    std::int64_t position_ = 0;
    std::int64_t high_water_ = 0;
    std::optional<TMD5> digest_;
    std::int64_t digested_ = 0;
    std::atomic<std::int64_t> written_{0};
};

} // namespace launcher
