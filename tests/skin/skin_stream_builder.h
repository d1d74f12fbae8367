#pragma once

#include "platform/files.h"

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

// Small helpers that lay out skin bytes by hand, so tests state exactly what
// the reader sees.
namespace launcher::testing {

using platform::Bytes;

inline void put_le(Bytes& out, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i, value >>= 8)
        out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

inline Bytes i32(std::int32_t value) {
    Bytes out;
    put_le(out, static_cast<std::uint32_t>(value), 4);
    return out;
}

inline Bytes i64(std::int64_t value) {
    Bytes out;
    put_le(out, static_cast<std::uint64_t>(value), 8);
    return out;
}

inline Bytes text_bytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// A framed block: Int64 length, then the bytes.
inline Bytes block(const Bytes& content) {
    return cat({i64(static_cast<std::int64_t>(content.size())), content});
}

// An empty block given by its length alone (0 or negative).
inline Bytes empty_block(std::int64_t length = 0) {
    return i64(length);
}

// A record: type byte, then the framed member block.
inline Bytes record(std::uint8_t type, const Bytes& member_block) {
    return cat({Bytes{type}, member_block});
}

// A window part with the records already laid out.
inline Bytes part(std::int32_t version, std::int32_t count, const Bytes& records = {}) {
    return cat({i32(version), i32(count), records});
}

// Member block contents, sub-blocks in their stored order.
inline Bytes parameters_member(std::string_view text) {
    return block(block(text_bytes(text)));
}

inline Bytes background_member(const Bytes& bmp, const Bytes& region) {
    return block(cat({bmp.empty() ? empty_block() : block(bmp),
                      region.empty() ? empty_block() : block(region)}));
}

} // namespace launcher::testing
