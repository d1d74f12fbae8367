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

void TqorBackGround::LoadFromStream2(platform::MemoryStream& stream) {
    auto block = read_member_block(stream);
    if (!block)
        return;
    ReadBlockBitmap(image, *block);
    region.clear();
    const platform::Bytes region_bytes = ReadBlock(*block);
    region.write(region_bytes);
    region.seek(0);
}

void TqorButton::LoadFromStream2(platform::MemoryStream& stream) {
    auto block = read_member_block(stream);
    if (!block)
        return;
    ReadBlockStrings(parameters, *block);
    ReadBlockStrings(btn_script, *block);
    ReadBlockBitmap(common, *block);
    ReadBlockBitmap(over, *block);
    ReadBlockBitmap(disabled, *block);
    ReadBlockBitmap(down, *block);
    ReadBlockBitmap(up, *block);
}

void TqorGauge::LoadFromStream2(platform::MemoryStream& stream) {
    auto block = read_member_block(stream);
    if (!block)
        return;
    ReadBlockStrings(parameters, *block);
    ReadBlockBitmap(FTex, *block);
    ReadBlockBitmap(BTex, *block);
}

void TqorParametersOnly::LoadFromStream2(platform::MemoryStream& stream) {
    auto block = read_member_block(stream);
    if (!block)
        return;
    ReadBlockStrings(parameters, *block);
}

} // namespace launcher
