#include "download/transfer_pace.h"

namespace launcher {

TransferPace::TransferPace(platform::TimePoint start, std::int64_t count)
    : last_count_(count), last_change_(start), window_count_(count), window_start_(start) {}

TransferPace::Verdict TransferPace::observe(platform::TimePoint now, std::int64_t count) {
    if (count != last_count_) {
        last_count_ = count;
        last_change_ = now;
    } else if (now - last_change_ >= kStallPeriod) {
        return Verdict::Stalled;
    }
    const auto window = now - window_start_;
    if (window < kSlowWindow)
        return Verdict::Moving;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(window).count();
    if (count - window_count_ < kMinimumBytesPerSecond * seconds)
        return Verdict::TooSlow;
    window_count_ = count;
    window_start_ = now;
    return Verdict::Moving;
}

} // namespace launcher
