#pragma once

#include "platform/clock.h"

#include <cstdint>

namespace launcher {

// A request that receives nothing for this long is abandoned.
inline constexpr platform::Milliseconds kStallPeriod{20000};
// How often a watch looks at a request's progress: a stall is seen within
// this much of a whole stall period after the last byte.
inline constexpr platform::Milliseconds kPaceTick{1000};
// A request that receives bytes, but fewer than this many a second on
// average over a whole window, is abandoned as too slow: a server that
// trickles would otherwise hold a run forever.
inline constexpr std::int64_t kMinimumBytesPerSecond = 256;
inline constexpr platform::Milliseconds kSlowWindow{60000};

// Judges the progress of one request from a growing count of received
// bytes, sampled on the interface thread's clock.
class TransferPace {
public:
    enum class Verdict { Moving, Stalled, TooSlow };

    TransferPace(platform::TimePoint start, std::int64_t count);

    Verdict observe(platform::TimePoint now, std::int64_t count);

private:
    std::int64_t last_count_;
    platform::TimePoint last_change_;
    std::int64_t window_count_;
    platform::TimePoint window_start_;
};

} // namespace launcher
