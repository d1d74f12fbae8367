#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace launcher::platform {

// The executable carries one fixed-size data block: on Windows the RCDATA
// resource "BLANK" (made by windres from the build's blank.rc), elsewhere its
// own ELF section. The publisher's tool writes a configuration package into
// that block of a built executable: a 32-bit little-endian length, the
// payload, zero fill.
inline constexpr std::size_t kEmbeddedBlockSize = 1536019;
inline constexpr std::string_view kEmbeddedBlockSection = ".launcher_blank";
inline constexpr std::string_view kEmbeddedBlockResource = "BLANK";
inline constexpr int kResourceTypeRcData = 10;

// The running executable's block, read in place (FindResourceW and
// LoadResource on Windows); empty when the executable has none.
std::span<const std::uint8_t> embedded_block();

// The view of a resource of the running executable: its bytes, owned by the
// module, or none. The only resource is "blank" of type RCDATA (the name is
// matched without regard to letter case); it is none while the block holds no
// package (a zero length field).
std::optional<std::span<const std::uint8_t>> FindResourceData(std::string_view name, int type);

} // namespace launcher::platform
