#include "skin/skin_members.h"

#include <optional>

namespace launcher {
namespace {

// The member block at the stream's position as a stream of its own, or
// nothing for an empty block.
std::optional<platform::MemoryStream> read_member_block(platform::MemoryStream& stream) {
    platform::Bytes bytes = ReadBlock(stream);
    if (bytes.empty())
        return std::nullopt;
    return platform::MemoryStream(std::move(bytes));
}

} // namespace

void TqorBackGround::LoadFromStream2(platform::MemoryStream& stream, SkippedImages* skipped) {
    auto block = read_member_block(stream);
    if (!block)
        return;
    ReadBlockBitmap(image, *block, skipped, "image");
    region.clear();
    const platform::Bytes region_bytes = ReadBlock(*block);
    region.write(region_bytes);
    region.seek(0);
}

void TqorButton::LoadFromStream2(platform::MemoryStream& stream, SkippedImages* skipped) {
    auto block = read_member_block(stream);
    if (!block)
        return;
    ReadBlockStrings(parameters, *block);
    ReadBlockStrings(btn_script, *block);
    ReadBlockBitmap(common, *block, skipped, "common");
    ReadBlockBitmap(over, *block, skipped, "over");
    ReadBlockBitmap(disabled, *block, skipped, "disabled");
    ReadBlockBitmap(down, *block, skipped, "down");
    ReadBlockBitmap(up, *block, skipped, "up");
}

void TqorGauge::LoadFromStream2(platform::MemoryStream& stream, SkippedImages* skipped) {
    auto block = read_member_block(stream);
    if (!block)
        return;
    ReadBlockStrings(parameters, *block);
    ReadBlockBitmap(FTex, *block, skipped, "FTex");
    ReadBlockBitmap(BTex, *block, skipped, "BTex");
}

void TqorParametersOnly::LoadFromStream2(platform::MemoryStream& stream, SkippedImages*) {
    auto block = read_member_block(stream);
    if (!block)
        return;
    ReadBlockStrings(parameters, *block);
}

} // namespace launcher
