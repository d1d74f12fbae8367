#pragma once

#include <cstdint>
#include <vector>

namespace launcher {

// One byte range of a download, both offsets inclusive.
struct SegmentRange {
    std::int64_t first = 0;
    std::int64_t last = 0;

    std::int64_t length() const { return last - first + 1; }
    friend bool operator==(const SegmentRange&, const SegmentRange&) = default;
};

inline constexpr int kMinDownloadThreads = 1;
inline constexpr int kMaxDownloadThreads = 10;

// The requested number of parallel segments, kept within 1..10.
int clamp_download_threads(int threads);

// How many segments a file of `length` bytes is cut into: small files are not
// split (below 100,000 bytes one, below 1,000,000 at most two).
int segment_count(std::int64_t length, int threads);

// `numerator / denominator` rounded to the nearest whole number, ties to even.
std::int64_t divide_rounding_to_even(std::int64_t numerator, std::int64_t denominator);

// The ranges of a file of `length` (> 0) bytes: equal lengths, the last range
// taking the remainder up to the last byte.
std::vector<SegmentRange> plan_segments(std::int64_t length, int threads);

} // namespace launcher
