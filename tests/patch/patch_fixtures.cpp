#include "patch_fixtures.h"

#include "catalogue/md5.h"
#include "patch/rolling_checksum.h"
#include "platform/text.h"

#include <algorithm>

namespace launcher::patch::testing {

std::vector<std::uint8_t> RandomBytes(std::size_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(size);
    std::uint64_t state = 0x9e3779b97f4a7c15ull * (seed + 1);
    for (auto& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

BlockIndex IndexOf(std::span<const std::uint8_t> content, std::uint32_t block_size,
                   std::uint64_t data_offset) {
    BlockIndex index;
    index.block_size = block_size;
    index.file_size = content.size();
    index.data_offset = data_offset;
    index.archive_md5 = std::string(32, 'a');
    TMD5 md5;
    md5.Add(content.data(), content.size());
    index.content_md5 = platform::to_lower_ascii(md5.DigestStr());
    for (std::size_t at = 0; at < content.size(); at += block_size) {
        const auto block =
            content.subspan(at, std::min<std::size_t>(block_size, content.size() - at));
        index.blocks.push_back({RollingChecksum(block).value(), StrongHashOf(block)});
    }
    return index;
}

} // namespace launcher::patch::testing
