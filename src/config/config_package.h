#pragma once

#include "platform/files.h"
#include "platform/memory_stream.h"

#include <cstdint>
#include <limits>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace launcher {

// Raised by the package codec for data it cannot take.
class ConfigPackageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Payload lengths accepted in the package's length field.
inline constexpr std::int32_t kMaxConfigPayload = 1536000;

// The 20-byte scrambling key: the last ten characters of the key source
// followed by its first ten. The launcher and the publisher's tool share it.
std::string FormConfigKey();

// XORs byte j of the whole stream with key byte j mod n, in blocks as long as
// the key; the stream ends positioned at its end. Applying it twice restores
// the bytes. The key must be 1 to 200 bytes long.
void XorStream(platform::MemoryStream& stream, std::string_view key);

// Decodes the bzip2 stream that starts at the source's position into the
// target at its position, in 65,536-byte chunks. Corrupt data raise
// ConfigPackageError; a stream that ends early yields what was decoded.
// Returns whether the stream's end-of-stream marker was reached. A stream
// that decodes to more than `decoded_at_most` bytes raises
// ConfigPackageError once that many are in the target.
bool DecodeBZip2Stream(platform::MemoryStream& source, platform::MemoryStream& target,
                       std::size_t decoded_at_most = std::numeric_limits<std::size_t>::max());

// bzip2 compression with 900 k blocks (the "BZh9" header).
platform::Bytes EncodeBZip2(std::span<const std::uint8_t> data);

// The resource bytes (length field and scrambled payload) of a package whose
// decoded content is `decoded`. Throws when the payload would not fit.
platform::Bytes EncodeConfigPackage(std::span<const std::uint8_t> decoded);

// The inverse, for tools: the decoded content of a resource, or
// ConfigPackageError saying why there is none.
platform::Bytes DecodeConfigPackage(std::span<const std::uint8_t> resource);

} // namespace launcher
