#pragma once

#include "platform/memory_stream.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <span>
#include <string>
#include <string_view>
#include <time.h>
#include <vector>

namespace launcher {

// Size and last-write time (universal) of a file as it was when opened.
struct OpenedFileStatus {
    std::int64_t size = 0;
    timespec modified{};
};

using TDigest = std::array<std::uint8_t, 16>;
using TDigestLongWord = std::array<std::uint32_t, 4>;
using TByteBuf = std::array<std::uint8_t, 64>;
using TDigestStr = std::string;

// The state of one running MD5 digest. The digest is computed when first read
// after new input and cached; reading it leaves the running state alone, so
// more input can follow and the digest of the longer message be read again.
class TCustomMD5 {
public:
    TCustomMD5() { ResetState(); }

    // The 16 digest bytes in their standard order.
    TDigest Digest() const;
    // The same bytes as four little-endian words in chaining-state order.
    TDigestLongWord DigestLongWord() const;
    // 32 upper-case hexadecimal digits, high nibble first.
    TDigestStr DigestStr() const;

protected:
    void ResetState();
    void MD5Update(const void* data, std::size_t count);

private:
    void ComputeDigest() const;

    mutable TDigest FDigest{};
    TDigestLongWord CDigest{};
    std::uint32_t BitLo = 0;
    std::uint32_t BitHi = 0;
    TByteBuf bBuf{};
    std::uint32_t bLen = 0;
    mutable bool BufferChanged = true;
};

// Feeds values, text, files and streams into the digest. Integers are fed
// little-endian; text as its UTF-8 bytes.
class TMD5 : public TCustomMD5 {
public:
    void Reset() { ResetState(); }

    void Add(std::uint8_t value);
    void Add(char16_t value); // one UTF-16 code unit
    void Add(std::uint16_t value);
    void Add(std::int32_t value);
    void Add(std::uint32_t value);
    void Add(std::string_view value);
    void Add(const char* value) { Add(std::string_view(value)); }
    void Add(const std::vector<std::string>& lines); // each line, nothing between
    void Add(const void* data, std::size_t count);
    // A char or bool would silently widen to a 4-byte integer.
    void Add(char) = delete;
    void Add(bool) = delete;

    // The whole content of the file, read in 8192-byte chunks while holding a
    // shared lock, so writers that lock the file exclusively are kept out.
    // Raises platform::FileError "Cannot open file <name>" when the file
    // cannot be opened or locked (nothing fed), and "Cannot read file <name>"
    // when a read fails (the chunks read before stay fed).
    void AddFile(const std::filesystem::path& Value) { AddFileWithStatus(Value); }
    // AddFile that also gives the size and time of the file it read, from
    // the open file itself, so no second look-up by name is needed.
    OpenedFileStatus AddFileWithStatus(const std::filesystem::path& Value);
    // The same, reading in chunks of the size of `buffer` (at least one byte)
    // rather than 8192 bytes: larger chunks take fewer system calls. A file
    // read to its end gives the same digest and status whatever the chunk
    // size; when a read fails, the whole chunks read before stay fed.
    OpenedFileStatus AddFileWithStatus(const std::filesystem::path& Value,
                                       std::span<std::uint8_t> buffer);

    // The bytes from the stream's position to its end; the position is put
    // back afterwards.
    void AddStream(platform::MemoryStream& Stream);
    void AddStream(std::istream& Stream);
};

// The upper-case MD5 text of a file's content; file errors reach the caller.
std::string MD5File(const std::filesystem::path& filename);

} // namespace launcher
