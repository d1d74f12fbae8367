#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <type_traits>

namespace launcher::image_memory {

// Bounded access to the bytes of a library image, given as a file or mapped in
// memory. Every offset and size in an image comes from outside, so each read
// and write checks its range first; a range that does not fit gives none or
// false instead of touching memory beyond the bytes. Values are copied with
// memcpy because the image's offsets need not be aligned.

inline bool Fits(std::size_t total, std::uint64_t offset, std::uint64_t length) {
    return offset <= total && length <= total - offset;
}

template <typename T>
std::optional<T> Read(std::span<const std::byte> bytes, std::uint64_t offset) {
    static_assert(std::is_trivially_copyable_v<T>);
    if (!Fits(bytes.size(), offset, sizeof(T))) {
        return std::nullopt;
    }
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

template <typename T>
bool Write(std::span<std::byte> bytes, std::uint64_t offset, const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    if (!Fits(bytes.size(), offset, sizeof(T))) {
        return false;
    }
    std::memcpy(bytes.data() + offset, &value, sizeof(T));
    return true;
}

// A zero-terminated 8-bit text at `offset`. With `max_length`, at most that
// many characters are taken when no terminator comes first. None when the
// text runs past the end of the bytes.
inline std::optional<std::string> ReadText(std::span<const std::byte> bytes, std::uint64_t offset,
                                           std::optional<std::size_t> max_length = std::nullopt) {
    if (offset > bytes.size()) {
        return std::nullopt;
    }
    std::string text;
    for (std::uint64_t at = offset; at < bytes.size(); ++at) {
        if (max_length && text.size() == *max_length) {
            return text;
        }
        const char c = static_cast<char>(bytes[at]);
        if (c == '\0') {
            return text;
        }
        text.push_back(c);
    }
    if (max_length && text.size() == *max_length) {
        return text;
    }
    return std::nullopt;
}

} // namespace launcher::image_memory
