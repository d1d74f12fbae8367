#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace launcher {

// Rounds to the nearest integer, a half to the even neighbour (2.5 -> 2,
// 3.5 -> 4), whatever the floating-point rounding mode. Values beyond the
// 64-bit range saturate; NaN gives 0.
inline std::int64_t RoundHalfEven(double value) {
    if (std::isnan(value))
        return 0;
    constexpr double limit = 9.2e18;
    if (value >= limit)
        return std::numeric_limits<std::int64_t>::max();
    if (value <= -limit)
        return std::numeric_limits<std::int64_t>::min();
    const double floor = std::floor(value);
    const double fraction = value - floor;
    auto result = static_cast<std::int64_t>(floor);
    if (fraction > 0.5 || (fraction == 0.5 && result % 2 != 0))
        ++result;
    return result;
}

} // namespace launcher
