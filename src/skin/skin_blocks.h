#pragma once

#include "platform/memory_stream.h"
#include "skin/bitmap.h"

#include <string>
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

// Reads one bitmap sub-block (a whole BMP file) into `bitmap`: a non-empty
// block replaces the image, an empty one leaves it. Throws InvalidImageError
// when the bytes are not a BMP file.
void ReadBlockBitmap(Bitmap& bitmap, platform::MemoryStream& stream);

// Passes over one framed block.
void SkipBlock(platform::MemoryStream& stream);

} // namespace launcher
