#pragma once

#include "download/segment_part.h"

#include <atomic>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace launcher {

// The MD5 of a file that several segments write at once, taken in file
// order while they write it: it reads each range back as far as its segment
// has written, and waits for more. The hash is then ready about when the
// download ends, instead of costing a read of the whole file afterwards. A
// segment that restarts writes the same bytes again, which changes nothing
// already hashed; a server that sent other bytes the second time makes the
// hash fail to match, which the caller's check finds.
class OrderedDigest {
public:
    // `parts` in file order, covering the file from its first byte.
    OrderedDigest(std::filesystem::path file, std::vector<const TargetRangePart*> parts);

    // Hashes until the end of the last range or until `cancel` is set; for a
    // worker thread.
    void Run(const std::atomic<bool>& cancel);
    // Every range is written whole: from now on the parts are not looked at
    // and may be destroyed while `Run` goes on. Any thread.
    void AllWritten();
    // The file's MD5 when Run reached the end.
    const std::optional<std::string>& Result() const { return result_; }

private:
    struct Range {
        std::int64_t first;
        std::int64_t length;
    };
    std::int64_t written(std::size_t index);

    std::filesystem::path file_;
    std::vector<Range> ranges_;
    std::mutex parts_mutex_;
    std::vector<const TargetRangePart*> parts_; // emptied by AllWritten
    std::optional<std::string> result_;
};

} // namespace launcher
