#include "platform/win32/file_time.h"

#include <cstdint>

namespace launcher::platform::win32 {
namespace {

constexpr std::int64_t kStepsPerSecond = 10'000'000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;

} // namespace

timespec timespec_of(const FILETIME& time) {
    const auto steps =
        static_cast<std::int64_t>(std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime);
    std::int64_t seconds = steps / kStepsPerSecond - kSecondsFrom1601To1970;
    std::int64_t rest = steps % kStepsPerSecond;
    timespec out{};
    out.tv_sec = static_cast<time_t>(seconds);
    out.tv_nsec = static_cast<long>(rest * 100);
    return out;
}

FILETIME file_time_of(const timespec& time) {
    const std::int64_t steps =
        (static_cast<std::int64_t>(time.tv_sec) + kSecondsFrom1601To1970) * kStepsPerSecond +
        time.tv_nsec / 100;
    const auto bits = static_cast<std::uint64_t>(steps < 0 ? 0 : steps);
    FILETIME out{};
    out.dwLowDateTime = static_cast<DWORD>(bits);
    out.dwHighDateTime = static_cast<DWORD>(bits >> 32);
    return out;
}

} // namespace launcher::platform::win32
