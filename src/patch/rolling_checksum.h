#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace launcher::patch {

// The weak checksum of a block: two 16-bit sums (the bytes, and the bytes
// weighted by their distance from the block's end) that move one byte along
// the data in constant time, so every offset of an old file can be tried.
class RollingChecksum {
public:
    RollingChecksum() = default;
    explicit RollingChecksum(std::span<const std::uint8_t> window) { reset(window); }

    void reset(std::span<const std::uint8_t> window) {
        a_ = 0;
        b_ = 0;
        length_ = static_cast<std::uint32_t>(window.size());
        for (const std::uint8_t byte : window) {
            a_ += byte;
            b_ += a_;
        }
    }

    // The window loses `out` at its front and gains `in` at its back.
    void roll(std::uint8_t out, std::uint8_t in) {
        a_ += in - out;
        b_ += a_ - length_ * out;
    }

    std::uint32_t value() const { return (a_ & 0xffffu) | (b_ << 16); }

private:
    std::uint32_t a_ = 0;
    std::uint32_t b_ = 0;
    std::uint32_t length_ = 0;
};

} // namespace launcher::patch
