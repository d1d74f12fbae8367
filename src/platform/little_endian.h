#pragma once

#include "platform/files.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace launcher::platform {

// Little-endian values at an offset of a file held in memory; a value that
// would lie past the end throws `Error` with `truncated` as its text.
template <typename T, typename Error>
T read_little_endian(const Bytes& bytes, std::uint64_t offset, const char* truncated) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T))
        throw Error(truncated);
    T value = 0;
    for (std::size_t i = sizeof(T); i-- > 0;)
        value = static_cast<T>(value << 8 | bytes[static_cast<std::size_t>(offset) + i]);
    return value;
}

} // namespace launcher::platform
