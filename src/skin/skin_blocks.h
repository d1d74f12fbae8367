#pragma once

#include "platform/memory_stream.h"
#include "skin/bitmap.h"

#include <string>
#include <string_view>
#include <vector>

namespace launcher {

// A list of text lines, as the skin's parameter lists and scripts are kept.
using StringList = std::vector<std::string>;

// Every block of a skin is framed the same way: a signed 64-bit little-endian
// length L, then L bytes; L of 0 or less is an empty block with nothing after
// the length. A length that runs past the end of the data throws
// platform::StreamReadError with the stream left where the length ended.

// Reads one framed block and returns its bytes (none for an empty block).
platform::Bytes ReadBlock(platform::MemoryStream& stream);

// Reads one text sub-block into `list`: a non-empty block replaces the lines
// (decoded by its byte-order mark, split at CR LF, LF or CR); an empty one
// leaves them as they are.
void ReadBlockStrings(StringList& list, platform::MemoryStream& stream);

// The images of a skin that did not decode. A bad image costs only itself:
// its bitmap keeps what it held, and loading goes on with the next sub-block,
// whose place the framing still gives. Each entry reads
// "Button_Close.over: Invalid BMP image: ...".
class SkippedImages {
public:
    // The member whose sub-blocks are read next.
    void SetMember(std::string_view member) { member_ = member; }
    void Add(std::string_view field, std::string_view reason);

    const std::vector<std::string>& Entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }

private:
    std::string member_;
    std::vector<std::string> entries_;
};

// Reads one bitmap sub-block (a whole BMP file) into `bitmap`: a non-empty
// block replaces the image, an empty one leaves it. Bytes that are not a BMP
// file throw InvalidImageError, or, with `skipped` given, are recorded there
// under `field` and leave the bitmap as it was.
void ReadBlockBitmap(Bitmap& bitmap, platform::MemoryStream& stream,
                     SkippedImages* skipped = nullptr, std::string_view field = {});

// Passes over one framed block.
void SkipBlock(platform::MemoryStream& stream);

} // namespace launcher
