#include "patch/index_builder.h"

#include "catalogue/md5.h"
#include "patch/rolling_checksum.h"
#include "platform/file.h"
#include "platform/text.h"

#include <algorithm>
#include <vector>

namespace launcher::patch {
namespace {

// read_at may stop short of `size` before the end of the file.
std::size_t read_exactly(const platform::File& file, std::uint64_t offset, std::uint8_t* data,
                         std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const std::size_t n = file.read_at(offset + done, data + done, size - done);
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

} // namespace

std::optional<BlockIndex> BuildBlockIndex(const IndexedMember& member) {
    BlockIndex index;
    index.block_size = ChooseBlockSize(member.file_size);
    index.file_size = member.file_size;
    index.data_offset = member.data_offset;
    index.archive_md5 = platform::to_lower_ascii(member.archive_md5);
    index.content_md5 = platform::to_lower_ascii(member.content_md5);
    const platform::File archive(member.archive, platform::File::Mode::Read);
    std::vector<std::uint8_t> block(index.block_size);
    TMD5 md5;
    for (std::uint64_t at = 0; at < member.file_size; at += index.block_size) {
        const auto length = static_cast<std::size_t>(
            std::min<std::uint64_t>(index.block_size, member.file_size - at));
        if (read_exactly(archive, member.data_offset + at, block.data(), length) != length)
            return std::nullopt; // the archive ends before the member would
        const std::span<const std::uint8_t> bytes(block.data(), length);
        md5.Add(bytes.data(), bytes.size());
        index.blocks.push_back({RollingChecksum(bytes).value(), StrongHashOf(bytes)});
    }
    if (platform::to_lower_ascii(md5.DigestStr()) != index.content_md5)
        return std::nullopt;
    return index;
}

} // namespace launcher::patch
