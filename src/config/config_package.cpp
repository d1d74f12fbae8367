#include "config/config_package.h"

#include <algorithm>
#include <array>
#include <limits>

#include <bzlib.h>

namespace launcher {
namespace {

constexpr std::string_view kKeySource = "Vx7!qL2#mR9$tK4&wZ6*";
constexpr std::size_t kDecodeChunk = 65536;

} // namespace

std::string FormConfigKey() {
    static_assert(kKeySource.size() == 20);
    return std::string(kKeySource.substr(10)) + std::string(kKeySource.substr(0, 10));
}

void XorStream(platform::MemoryStream& stream, std::string_view key) {
    if (key.empty() || key.size() > 200)
        throw ConfigPackageError("The scrambling key must be 1 to 200 bytes long");
    std::array<std::uint8_t, 200> key_buffer{};
    std::copy(key.begin(), key.end(), key_buffer.begin());
    std::array<std::uint8_t, 200> block{};
    stream.seek(0);
    while (stream.position() < stream.size()) {
        const std::size_t length = std::min(key.size(), stream.size() - stream.position());
        stream.read_exact(block.data(), length);
        for (std::size_t i = 0; i < length; ++i)
            block[i] ^= key_buffer[i];
        stream.seek(stream.position() - length);
        stream.write(block.data(), length);
    }
}

bool DecodeBZip2Stream(platform::MemoryStream& source, platform::MemoryStream& target,
                       std::size_t decoded_at_most) {
    bz_stream bz{};
    if (BZ2_bzDecompressInit(&bz, 0, 0) != BZ_OK)
        throw ConfigPackageError("Cannot start the bzip2 decoder");
    const auto input = source.remaining();
    std::vector<char> chunk(kDecodeChunk);
    std::size_t consumed = 0;
    std::size_t decoded = 0;
    int status = BZ_OK;
    try {
        while (status != BZ_STREAM_END) {
            const std::size_t offered = std::min<std::size_t>(input.size() - consumed,
                                                              std::numeric_limits<unsigned>::max());
            bz.next_in = const_cast<char*>(reinterpret_cast<const char*>(input.data() + consumed));
            bz.avail_in = static_cast<unsigned>(offered);
            bz.next_out = chunk.data();
            bz.avail_out = static_cast<unsigned>(chunk.size());
            status = BZ2_bzDecompress(&bz);
            if (status != BZ_OK && status != BZ_STREAM_END)
                throw ConfigPackageError("bzip2 data error (code " + std::to_string(status) + ")");
            consumed += offered - bz.avail_in;
            std::size_t produced = chunk.size() - bz.avail_out;
            const bool too_long = produced > decoded_at_most - decoded;
            if (too_long)
                produced = decoded_at_most - decoded;
            target.write(chunk.data(), produced);
            decoded += produced;
            if (too_long)
                throw ConfigPackageError("bzip2 data decode to more than " +
                                         std::to_string(decoded_at_most) + " bytes");
            // Input exhausted before the end marker: what was decoded so far is the result.
            if (status == BZ_OK && produced == 0 && consumed == input.size())
                break;
        }
    } catch (...) {
        BZ2_bzDecompressEnd(&bz);
        throw;
    }
    BZ2_bzDecompressEnd(&bz);
    source.seek(source.position() + consumed);
    return status == BZ_STREAM_END;
}

platform::Bytes EncodeBZip2(std::span<const std::uint8_t> data) {
    // bzip2's documented worst case: 1% larger plus 600 bytes.
    unsigned int capacity = static_cast<unsigned int>(data.size() + data.size() / 100 + 601);
    platform::Bytes out(capacity);
    const int status =
        BZ2_bzBuffToBuffCompress(reinterpret_cast<char*>(out.data()), &capacity,
                                 const_cast<char*>(reinterpret_cast<const char*>(data.data())),
                                 static_cast<unsigned int>(data.size()), 9, 0, 0);
    if (status != BZ_OK)
        throw ConfigPackageError("bzip2 compression failed (code " + std::to_string(status) + ")");
    out.resize(capacity);
    return out;
}

platform::Bytes EncodeConfigPackage(std::span<const std::uint8_t> decoded) {
    platform::MemoryStream payload(EncodeBZip2(decoded));
    if (payload.size() > static_cast<std::size_t>(kMaxConfigPayload))
        throw ConfigPackageError("The package is " + std::to_string(payload.size()) +
                                 " bytes long; at most " + std::to_string(kMaxConfigPayload) +
                                 " fit into the executable");
    XorStream(payload, FormConfigKey());
    platform::MemoryStream resource;
    resource.write_int<std::int32_t>(static_cast<std::int32_t>(payload.size()));
    resource.write(payload.bytes());
    return resource.release();
}

platform::Bytes DecodeConfigPackage(std::span<const std::uint8_t> resource) {
    platform::MemoryStream header(platform::Bytes(
        resource.begin(), resource.begin() + std::min<std::size_t>(4, resource.size())));
    if (header.size() < 4)
        throw ConfigPackageError("The data block holds no package");
    const auto length = header.read_int<std::int32_t>();
    if (length < 1 || length > kMaxConfigPayload)
        throw ConfigPackageError("The data block holds no package (length field " +
                                 std::to_string(length) + ")");
    if (resource.size() - 4 < static_cast<std::size_t>(length))
        throw ConfigPackageError("The package is shorter than its length field");
    platform::MemoryStream payload(
        platform::Bytes(resource.begin() + 4, resource.begin() + 4 + length));
    XorStream(payload, FormConfigKey());
    payload.seek(0);
    platform::MemoryStream decoded;
    DecodeBZip2Stream(payload, decoded);
    return decoded.release();
}

} // namespace launcher
