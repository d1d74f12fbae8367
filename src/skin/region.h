#pragma once

#include "platform/memory_stream.h"
#include "skin/bitmap.h"
#include "skin/geometry.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace launcher {

// A set of pixels described by rectangles: the outline of a shaped window.
// The rectangles are kept in one canonical form (horizontal bands from the
// top, each band's rectangles from the left, none overlapping or touching
// within a band, equal neighbouring bands merged), so two regions holding the
// same pixels compare equal and a window toolkit can take Rects() as they are.
class Region {
public:
    Region() = default;
    // The union of the rectangles; empty rectangles add nothing.
    explicit Region(std::span<const Rect> rects);

    const std::vector<Rect>& Rects() const { return rects_; }
    bool IsEmpty() const { return rects_.empty(); }
    bool Contains(std::int32_t x, std::int32_t y) const;
    // The smallest rectangle around every pixel; empty for an empty region.
    Rect Bounds() const;
    // The number of pixels (saturating at the largest 64-bit value).
    std::int64_t Area() const;

    friend bool operator==(const Region&, const Region&) = default;

private:
    friend class RegionBuilder;
    std::vector<Rect> rects_;
};

// Size of the header of Windows region data (RGNDATAHEADER).
inline constexpr std::size_t kRgnDataHeaderSize = 32;
// The header's region type for rectangle lists (RDH_RECTANGLES).
inline constexpr std::uint32_t kRgnDataRectangles = 1;

// A region from the bytes of a Windows RGNDATA structure: the 32-byte header
// (dwSize = 32, iType = 1, nCount, nRgnSize, bounding rectangle) followed by
// nCount rectangles of four little-endian Int32 (left, top, right, bottom).
// Rectangles may overlap and come in any order; empty or inverted ones add
// nothing. The header's size hint and bounding rectangle are not trusted.
// Data that do not describe a region (too short for the header, another
// header size or type, fewer bytes than nCount rectangles) give none.
std::optional<Region> RegionFromRgnData(std::span<const std::uint8_t> data);

// Why the bytes are not region data in that form, or none when they are.
std::optional<std::string> RgnDataProblem(std::span<const std::uint8_t> data);

// The region as the bytes of a Windows RGNDATA structure, the form the skin
// stores an outline in: the header with the bounding rectangle and nCount
// rectangles, then the region's rectangles band by band.
std::vector<std::uint8_t> RgnDataFromRegion(const Region& region);

// The same from a stream, the way the skin keeps region data: positions the
// stream at its start and takes `size` bytes, reading zeros where the stream
// ends early.
std::optional<Region> CreateRegionFromData(platform::MemoryStream& stream, std::size_t size);

// The region of an image without the pixels of the key colour (compared on
// red, green and blue; alpha is ignored): the whole image rectangle with every
// key-coloured pixel cut out, holes inside the image included. Computed in one
// pass over the rows.
Region CreateColorKeyRegion(const Bitmap& image, std::uint32_t key_argb);

// The region of the image's pixels that are at least half opaque (alpha 128
// or more).
Region CreateAlphaRegion(const Bitmap& image);

} // namespace launcher
