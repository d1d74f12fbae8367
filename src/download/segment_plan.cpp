#include "download/segment_plan.h"

#include <algorithm>

namespace launcher {

int clamp_download_threads(int threads) {
    return std::clamp(threads, kMinDownloadThreads, kMaxDownloadThreads);
}

int segment_count(std::int64_t length, int threads) {
    threads = clamp_download_threads(threads);
    if (length < 100'000)
        return 1;
    if (length < 1'000'000)
        return threads == 1 ? 1 : 2;
    return threads;
}

std::int64_t divide_rounding_to_even(std::int64_t numerator, std::int64_t denominator) {
    const std::int64_t quotient = numerator / denominator;
    const std::int64_t twice_remainder = 2 * (numerator % denominator);
    if (twice_remainder > denominator)
        return quotient + 1;
    if (twice_remainder == denominator)
        return quotient % 2 == 0 ? quotient : quotient + 1;
    return quotient;
}

std::vector<SegmentRange> plan_segments(std::int64_t length, int threads) {
    const int count = segment_count(length, threads);
    const std::int64_t segment = divide_rounding_to_even(length, count);
    std::vector<SegmentRange> ranges;
    ranges.reserve(static_cast<std::size_t>(count));
    for (int k = 1; k <= count; ++k) {
        const std::int64_t first = (k - 1) * segment;
        const std::int64_t last = k == count ? length - 1 : k * segment - 1;
        ranges.push_back(SegmentRange{first, last});
    }
    return ranges;
}

} // namespace launcher
