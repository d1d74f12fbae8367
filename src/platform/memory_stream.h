#pragma once

#include "platform/files.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <type_traits>

namespace launcher::platform {

// Raised when a read needs more bytes than the stream holds.
class StreamReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A growable byte buffer with a position: what the configuration package is
// decoded into and the skin and configuration readers consume in turn.
class MemoryStream {
public:
    MemoryStream() = default;
    explicit MemoryStream(Bytes bytes) : bytes_(std::move(bytes)) {}

    std::size_t size() const { return bytes_.size(); }
    std::size_t position() const { return position_; }
    // The position may be set past the end; reads there yield nothing.
    void seek(std::size_t position) { position_ = position; }
    std::size_t remaining_size() const {
        return position_ < bytes_.size() ? bytes_.size() - position_ : 0;
    }
    std::span<const std::uint8_t> remaining() const {
        return {bytes_.data() + (bytes_.size() - remaining_size()), remaining_size()};
    }

    // Reads up to `count` bytes; returns how many were read.
    std::size_t read(void* target, std::size_t count) {
        const std::size_t n = count < remaining_size() ? count : remaining_size();
        if (n > 0)
            std::memcpy(target, bytes_.data() + position_, n);
        position_ += n;
        return n;
    }

    // Reads exactly `count` bytes or throws StreamReadError without moving.
    void read_exact(void* target, std::size_t count) {
        if (count > remaining_size())
            throw StreamReadError("Stream read error");
        read(target, count);
    }

    // A little-endian integer of the stream.
    template <typename T>
    T read_int() {
        static_assert(std::is_integral_v<T>);
        std::uint8_t raw[sizeof(T)];
        read_exact(raw, sizeof(T));
        std::make_unsigned_t<T> value = 0;
        for (std::size_t i = sizeof(T); i-- > 0;)
            value = static_cast<std::make_unsigned_t<T>>(value << 8 | raw[i]);
        return static_cast<T>(value);
    }

    // Writes at the position, growing the buffer as needed.
    void write(const void* source, std::size_t count) {
        if (count == 0)
            return;
        if (position_ + count > bytes_.size())
            bytes_.resize(position_ + count);
        std::memcpy(bytes_.data() + position_, source, count);
        position_ += count;
    }
    void write(std::span<const std::uint8_t> source) { write(source.data(), source.size()); }

    template <typename T>
    void write_int(T value) {
        static_assert(std::is_integral_v<T>);
        auto bits = static_cast<std::make_unsigned_t<T>>(value);
        std::uint8_t raw[sizeof(T)];
        for (std::size_t i = 0; i < sizeof(T); ++i, bits = static_cast<decltype(bits)>(bits >> 8))
            raw[i] = static_cast<std::uint8_t>(bits & 0xFF);
        write(raw, sizeof(T));
    }

    const Bytes& bytes() const { return bytes_; }
    Bytes& bytes() { return bytes_; }
    Bytes release() {
        position_ = 0;
        return std::move(bytes_);
    }
    void clear() {
        bytes_.clear();
        position_ = 0;
    }

private:
    Bytes bytes_;
    std::size_t position_ = 0;
};

} // namespace launcher::platform
