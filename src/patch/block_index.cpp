#include "patch/block_index.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace launcher::patch {
namespace {

constexpr std::string_view kVersionLine = "launcher-block-index 1";
constexpr std::size_t kRecordBytes = 4 + StrongHash{}.size();
constexpr std::size_t kLongestHeader = 4096;

bool is_md5_hex(std::string_view text) {
    return text.size() == 32 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

std::optional<std::uint64_t> number(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() ||
        (text.size() > 1 && text[0] == '0'))
        return std::nullopt;
    return value;
}

// Reads the header line "KEY VALUE" from `header` at `at`.
std::optional<std::string_view> field(std::string_view header, std::size_t& at,
                                      std::string_view key) {
    const std::size_t end = header.find('\n', at);
    if (end == std::string_view::npos)
        return std::nullopt;
    const std::string_view line = header.substr(at, end - at);
    at = end + 1;
    if (line.size() <= key.size() || !line.starts_with(key) || line[key.size()] != ' ')
        return std::nullopt;
    return line.substr(key.size() + 1);
}

} // namespace

std::uint32_t BlockIndex::block_length(std::size_t block) const {
    const std::uint64_t start = block_offset(block);
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(block_size, file_size - start));
}

std::uint32_t ChooseBlockSize(std::uint64_t file_size) {
    const double ideal = std::sqrt(5.0 * static_cast<double>(file_size));
    std::uint32_t size = kSmallestBlock;
    while (size < kLargestBlock &&
           std::abs(std::log2(ideal / (2.0 * size))) < std::abs(std::log2(ideal / size)))
        size *= 2;
    // A file beyond kMostBlocks blocks of the largest size gets larger blocks
    // rather than an index no launcher reads.
    while (file_size / size >= kMostBlocks && size < (1u << 31))
        size *= 2;
    return size;
}

std::string BlockIndexBytes(const BlockIndex& index) {
    std::string bytes;
    bytes += kVersionLine;
    bytes += "\nblock-size " + std::to_string(index.block_size);
    bytes += "\nfile-size " + std::to_string(index.file_size);
    bytes += "\ndata-offset " + std::to_string(index.data_offset);
    bytes += "\narchive-md5 " + index.archive_md5;
    bytes += "\ncontent-md5 " + index.content_md5;
    bytes += std::string("\nexecutable ") + (index.executable ? "1" : "0");
    bytes += "\nblocks " + std::to_string(index.blocks.size()) + "\n";
    bytes.reserve(bytes.size() + index.blocks.size() * kRecordBytes);
    for (const BlockSum& block : index.blocks) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<char>((block.weak >> shift) & 0xffu));
        bytes.append(reinterpret_cast<const char*>(block.strong.data()), block.strong.size());
    }
    return bytes;
}

std::optional<BlockIndex> ParseBlockIndex(std::span<const std::uint8_t> bytes, std::string& why) {
    const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::string_view header = all.substr(0, std::min(all.size(), kLongestHeader));
    const auto refuse = [&](std::string text) -> std::optional<BlockIndex> {
        why = std::move(text);
        return std::nullopt;
    };
    if (!header.starts_with(std::string(kVersionLine) + "\n"))
        return refuse("no block index of version 1");
    std::size_t at = kVersionLine.size() + 1;
    BlockIndex index;
    const auto read_number = [&](std::string_view key) -> std::optional<std::uint64_t> {
        const auto text = field(header, at, key);
        return text ? number(*text) : std::nullopt;
    };
    const auto block_size = read_number("block-size");
    if (!block_size || *block_size < kSmallestBlock || *block_size > (1u << 31) ||
        (*block_size & (*block_size - 1)) != 0)
        return refuse("no usable block size");
    index.block_size = static_cast<std::uint32_t>(*block_size);
    const auto file_size = read_number("file-size");
    const auto data_offset = read_number("data-offset");
    if (!file_size || !data_offset || *file_size > (std::uint64_t{1} << 62) ||
        *data_offset > (std::uint64_t{1} << 62))
        return refuse("no usable file size or data offset");
    index.file_size = *file_size;
    index.data_offset = *data_offset;
    const auto archive_md5 = field(header, at, "archive-md5");
    const auto content_md5 = field(header, at, "content-md5");
    if (!archive_md5 || !is_md5_hex(*archive_md5) || !content_md5 || !is_md5_hex(*content_md5))
        return refuse("no archive or content MD5");
    index.archive_md5 = *archive_md5;
    index.content_md5 = *content_md5;
    const auto executable = read_number("executable");
    if (!executable || *executable > 1)
        return refuse("no executable mark");
    index.executable = *executable == 1;
    const auto count = read_number("blocks");
    const std::uint64_t expected = (index.file_size + index.block_size - 1) / index.block_size;
    if (!count || *count != expected || *count > kMostBlocks)
        return refuse("a block count that does not fit the file size");
    if (all.size() - at != *count * kRecordBytes)
        return refuse("the block records are cut short or followed by more");
    index.blocks.resize(static_cast<std::size_t>(*count));
    const auto* record = bytes.data() + at;
    for (BlockSum& block : index.blocks) {
        block.weak = static_cast<std::uint32_t>(record[0]) |
                     static_cast<std::uint32_t>(record[1]) << 8 |
                     static_cast<std::uint32_t>(record[2]) << 16 |
                     static_cast<std::uint32_t>(record[3]) << 24;
        std::copy_n(record + 4, block.strong.size(), block.strong.begin());
        record += kRecordBytes;
    }
    return index;
}

} // namespace launcher::patch
