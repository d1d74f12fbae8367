#include "skin/skin_blocks.h"

#include "platform/text.h"
#include "skin/bmp_decoder.h"

#include <cstdint>

namespace launcher {
namespace {

// The block's length, or 0 for an empty block; never more than the stream holds.
std::size_t read_block_length(platform::MemoryStream& stream) {
    const auto length = stream.read_int<std::int64_t>();
    if (length <= 0)
        return 0;
    if (static_cast<std::uint64_t>(length) > stream.remaining_size())
        throw platform::StreamReadError("Skin block length " + std::to_string(length) +
                                        " runs past the end of the data");
    return static_cast<std::size_t>(length);
}

} // namespace

platform::Bytes ReadBlock(platform::MemoryStream& stream) {
    platform::Bytes bytes(read_block_length(stream));
    stream.read_exact(bytes.data(), bytes.size());
    return bytes;
}

void ReadBlockStrings(StringList& list, platform::MemoryStream& stream) {
    const platform::Bytes bytes = ReadBlock(stream);
    if (!bytes.empty())
        list = platform::split_lines(platform::decode_text(bytes));
}

void SkippedImages::Add(std::string_view field, std::string_view reason) {
    std::string entry = member_;
    if (!field.empty())
        entry += (entry.empty() ? "" : ".") + std::string(field);
    entries_.push_back(entry + ": " + std::string(reason));
}

void ReadBlockBitmap(Bitmap& bitmap, platform::MemoryStream& stream, SkippedImages* skipped,
                     std::string_view field) {
    const platform::Bytes bytes = ReadBlock(stream);
    if (bytes.empty())
        return;
    if (!skipped) {
        bitmap = decode_bmp(bytes);
        return;
    }
    try {
        bitmap = decode_bmp(bytes);
    } catch (const InvalidImageError& error) {
        skipped->Add(field, error.what());
    }
}

void SkipBlock(platform::MemoryStream& stream) {
    const std::size_t length = read_block_length(stream);
    stream.seek(stream.position() + length);
}

} // namespace launcher
