#include "catalogue/md5.h"

#include "platform/error_text.h"
#include "platform/file.h"
#include "platform/utf8_path.h"

#include <bit>
#include <cstring>
#include <stdexcept>

namespace launcher {
namespace {

constexpr std::size_t kChunkSize = 8192;

// The four rounds' step functions. Each adds the message word and constant
// first, which do not depend on the previous step, so only the boolean
// function and the rotation sit on the chain from one step to the next. In G
// the half that does not involve `b` (the newest word) is added separately.
[[gnu::always_inline]] inline void step_f(std::uint32_t& a, std::uint32_t b, std::uint32_t c,
                                          std::uint32_t d, std::uint32_t x, std::uint32_t t,
                                          int s) {
    a += x + t;
    a += d ^ (b & (c ^ d));
    a = std::rotl(a, s) + b;
}

[[gnu::always_inline]] inline void step_g(std::uint32_t& a, std::uint32_t b, std::uint32_t c,
                                          std::uint32_t d, std::uint32_t x, std::uint32_t t,
                                          int s) {
    a += x + t;
    a += c & ~d;
    a += b & d;
    a = std::rotl(a, s) + b;
}

[[gnu::always_inline]] inline void step_h(std::uint32_t& a, std::uint32_t b, std::uint32_t c,
                                          std::uint32_t d, std::uint32_t x, std::uint32_t t,
                                          int s) {
    a += x + t;
    a += b ^ c ^ d;
    a = std::rotl(a, s) + b;
}

[[gnu::always_inline]] inline void step_i(std::uint32_t& a, std::uint32_t b, std::uint32_t c,
                                          std::uint32_t d, std::uint32_t x, std::uint32_t t,
                                          int s) {
    a += x + t;
    a += c ^ (b | ~d);
    a = std::rotl(a, s) + b;
}

inline std::uint32_t load_le32(const std::uint8_t* p) {
    std::uint32_t value;
    std::memcpy(&value, p, sizeof value);
    if constexpr (std::endian::native == std::endian::big)
        value = __builtin_bswap32(value);
    return value;
}

// Runs the block transform over `blocks` whole 64-byte blocks at `data`.
void transform(TDigestLongWord& state, const std::uint8_t* data, std::size_t blocks) {
    std::uint32_t a = state[0];
    std::uint32_t b = state[1];
    std::uint32_t c = state[2];
    std::uint32_t d = state[3];
    for (; blocks > 0; --blocks, data += 64) {
        std::uint32_t x[16];
        for (int i = 0; i < 16; ++i)
            x[i] = load_le32(data + 4 * i);
        const std::uint32_t a0 = a, b0 = b, c0 = c, d0 = d;

        step_f(a, b, c, d, x[0], 0xd76aa478, 7);
        step_f(d, a, b, c, x[1], 0xe8c7b756, 12);
        step_f(c, d, a, b, x[2], 0x242070db, 17);
        step_f(b, c, d, a, x[3], 0xc1bdceee, 22);
        step_f(a, b, c, d, x[4], 0xf57c0faf, 7);
        step_f(d, a, b, c, x[5], 0x4787c62a, 12);
        step_f(c, d, a, b, x[6], 0xa8304613, 17);
        step_f(b, c, d, a, x[7], 0xfd469501, 22);
        step_f(a, b, c, d, x[8], 0x698098d8, 7);
        step_f(d, a, b, c, x[9], 0x8b44f7af, 12);
        step_f(c, d, a, b, x[10], 0xffff5bb1, 17);
        step_f(b, c, d, a, x[11], 0x895cd7be, 22);
        step_f(a, b, c, d, x[12], 0x6b901122, 7);
        step_f(d, a, b, c, x[13], 0xfd987193, 12);
        step_f(c, d, a, b, x[14], 0xa679438e, 17);
        step_f(b, c, d, a, x[15], 0x49b40821, 22);

        step_g(a, b, c, d, x[1], 0xf61e2562, 5);
        step_g(d, a, b, c, x[6], 0xc040b340, 9);
        step_g(c, d, a, b, x[11], 0x265e5a51, 14);
        step_g(b, c, d, a, x[0], 0xe9b6c7aa, 20);
        step_g(a, b, c, d, x[5], 0xd62f105d, 5);
        step_g(d, a, b, c, x[10], 0x02441453, 9);
        step_g(c, d, a, b, x[15], 0xd8a1e681, 14);
        step_g(b, c, d, a, x[4], 0xe7d3fbc8, 20);
        step_g(a, b, c, d, x[9], 0x21e1cde6, 5);
        step_g(d, a, b, c, x[14], 0xc33707d6, 9);
        step_g(c, d, a, b, x[3], 0xf4d50d87, 14);
        step_g(b, c, d, a, x[8], 0x455a14ed, 20);
        step_g(a, b, c, d, x[13], 0xa9e3e905, 5);
        step_g(d, a, b, c, x[2], 0xfcefa3f8, 9);
        step_g(c, d, a, b, x[7], 0x676f02d9, 14);
        step_g(b, c, d, a, x[12], 0x8d2a4c8a, 20);

        step_h(a, b, c, d, x[5], 0xfffa3942, 4);
        step_h(d, a, b, c, x[8], 0x8771f681, 11);
        step_h(c, d, a, b, x[11], 0x6d9d6122, 16);
        step_h(b, c, d, a, x[14], 0xfde5380c, 23);
        step_h(a, b, c, d, x[1], 0xa4beea44, 4);
        step_h(d, a, b, c, x[4], 0x4bdecfa9, 11);
        step_h(c, d, a, b, x[7], 0xf6bb4b60, 16);
        step_h(b, c, d, a, x[10], 0xbebfbc70, 23);
        step_h(a, b, c, d, x[13], 0x289b7ec6, 4);
        step_h(d, a, b, c, x[0], 0xeaa127fa, 11);
        step_h(c, d, a, b, x[3], 0xd4ef3085, 16);
        step_h(b, c, d, a, x[6], 0x04881d05, 23);
        step_h(a, b, c, d, x[9], 0xd9d4d039, 4);
        step_h(d, a, b, c, x[12], 0xe6db99e5, 11);
        step_h(c, d, a, b, x[15], 0x1fa27cf8, 16);
        step_h(b, c, d, a, x[2], 0xc4ac5665, 23);

        step_i(a, b, c, d, x[0], 0xf4292244, 6);
        step_i(d, a, b, c, x[7], 0x432aff97, 10);
        step_i(c, d, a, b, x[14], 0xab9423a7, 15);
        step_i(b, c, d, a, x[5], 0xfc93a039, 21);
        step_i(a, b, c, d, x[12], 0x655b59c3, 6);
        step_i(d, a, b, c, x[3], 0x8f0ccc92, 10);
        step_i(c, d, a, b, x[10], 0xffeff47d, 15);
        step_i(b, c, d, a, x[1], 0x85845dd1, 21);
        step_i(a, b, c, d, x[8], 0x6fa87e4f, 6);
        step_i(d, a, b, c, x[15], 0xfe2ce6e0, 10);
        step_i(c, d, a, b, x[6], 0xa3014314, 15);
        step_i(b, c, d, a, x[13], 0x4e0811a1, 21);
        step_i(a, b, c, d, x[4], 0xf7537e82, 6);
        step_i(d, a, b, c, x[11], 0xbd3af235, 10);
        step_i(c, d, a, b, x[2], 0x2ad7d2bb, 15);
        step_i(b, c, d, a, x[9], 0xeb86d391, 21);

        a += a0;
        b += b0;
        c += c0;
        d += d0;
    }
    state = {a, b, c, d};
}

void store_le32(std::uint8_t* p, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

[[noreturn]] void cannot_open(const std::filesystem::path& path) {
    throw platform::FileError("Cannot open file " + platform::utf8_of(path));
}

} // namespace

void TCustomMD5::ResetState() {
    CDigest = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    BitLo = 0;
    BitHi = 0;
    bLen = 0;
    BufferChanged = true;
}

void TCustomMD5::MD5Update(const void* data, std::size_t count) {
    BufferChanged = true;
    const std::uint64_t bits =
        (static_cast<std::uint64_t>(BitHi) << 32 | BitLo) + static_cast<std::uint64_t>(count) * 8;
    BitLo = static_cast<std::uint32_t>(bits);
    BitHi = static_cast<std::uint32_t>(bits >> 32);
    if (count == 0)
        return;

    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (bLen > 0) {
        const std::size_t take = std::min<std::size_t>(count, 64 - bLen);
        std::memcpy(bBuf.data() + bLen, bytes, take);
        bLen += static_cast<std::uint32_t>(take);
        bytes += take;
        count -= take;
        if (bLen < 64)
            return;
        transform(CDigest, bBuf.data(), 1);
        bLen = 0;
    }
    // Whole blocks straight from the caller's data.
    const std::size_t blocks = count / 64;
    transform(CDigest, bytes, blocks);
    bytes += blocks * 64;
    count -= blocks * 64;
    std::memcpy(bBuf.data(), bytes, count);
    bLen = static_cast<std::uint32_t>(count);
}

void TCustomMD5::ComputeDigest() const {
    if (!BufferChanged)
        return;
    // Pad a copy of the pending bytes: 0x80, zeros, then the bit count.
    std::uint8_t tail[128] = {};
    std::memcpy(tail, bBuf.data(), bLen);
    tail[bLen] = 0x80;
    const std::size_t length = bLen < 56 ? 64 : 128;
    store_le32(tail + length - 8, BitLo);
    store_le32(tail + length - 4, BitHi);
    TDigestLongWord state = CDigest;
    transform(state, tail, length / 64);
    for (std::size_t i = 0; i < 4; ++i)
        store_le32(FDigest.data() + 4 * i, state[i]);
    BufferChanged = false;
}

TDigest TCustomMD5::Digest() const {
    ComputeDigest();
    return FDigest;
}

TDigestLongWord TCustomMD5::DigestLongWord() const {
    ComputeDigest();
    TDigestLongWord words;
    for (std::size_t i = 0; i < 4; ++i)
        words[i] = load_le32(FDigest.data() + 4 * i);
    return words;
}

TDigestStr TCustomMD5::DigestStr() const {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    ComputeDigest();
    std::string text(32, '0');
    for (std::size_t i = 0; i < FDigest.size(); ++i) {
        text[2 * i] = kDigits[FDigest[i] >> 4];
        text[2 * i + 1] = kDigits[FDigest[i] & 0xF];
    }
    return text;
}

void TMD5::Add(std::uint8_t value) {
    MD5Update(&value, 1);
}

void TMD5::Add(char16_t value) {
    Add(static_cast<std::uint16_t>(value));
}

void TMD5::Add(std::uint16_t value) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value),
                                   static_cast<std::uint8_t>(value >> 8)};
    MD5Update(bytes, sizeof bytes);
}

void TMD5::Add(std::int32_t value) {
    Add(static_cast<std::uint32_t>(value));
}

void TMD5::Add(std::uint32_t value) {
    std::uint8_t bytes[4];
    store_le32(bytes, value);
    MD5Update(bytes, sizeof bytes);
}

void TMD5::Add(std::string_view value) {
    MD5Update(value.data(), value.size());
}

void TMD5::Add(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        Add(std::string_view(line));
}

void TMD5::Add(const void* data, std::size_t count) {
    MD5Update(data, count);
}

OpenedFileStatus TMD5::AddFileWithStatus(const std::filesystem::path& Value) {
    std::array<std::uint8_t, kChunkSize> buffer;
    return AddFileWithStatus(Value, buffer);
}

OpenedFileStatus TMD5::AddFileWithStatus(const std::filesystem::path& Value,
                                         std::span<std::uint8_t> buffer) {
    if (buffer.empty())
        throw std::invalid_argument("AddFileWithStatus needs a buffer of at least one byte");
    // Others may read the file meanwhile but not write it: the share mode
    // keeps writers out where the system has share modes, and a shared lock
    // keeps out writers that lock the file (and a writer holding the lock
    // keeps us out).
    std::error_code error;
    platform::File file = platform::File::open(Value, platform::File::Mode::ReadDenyWrite, error);
    if (error)
        cannot_open(Value);
    const platform::FileStatus status = file.status(error);
    if (error || !status.regular || !file.try_lock(platform::File::Lock::Shared, error))
        cannot_open(Value);

    for (;;) {
        const std::size_t n = file.read_full(buffer, error);
        if (error)
            throw platform::FileError("Cannot read file " + platform::utf8_of(Value) + ": " +
                                      platform::error_text(error));
        if (n > 0)
            MD5Update(buffer.data(), n);
        if (n < buffer.size())
            break;
    }
    return {static_cast<std::int64_t>(status.size), status.modified};
}

void TMD5::AddStream(platform::MemoryStream& Stream) {
    const std::size_t start = Stream.position();
    try {
        std::array<std::uint8_t, kChunkSize> buffer;
        for (;;) {
            const std::size_t n = Stream.read(buffer.data(), buffer.size());
            if (n > 0)
                MD5Update(buffer.data(), n);
            if (n < kChunkSize)
                break;
        }
    } catch (...) {
        Stream.seek(start);
        throw;
    }
    Stream.seek(start);
}

void TMD5::AddStream(std::istream& Stream) {
    const std::istream::pos_type start = Stream.tellg();
    const auto restore = [&] {
        Stream.clear();
        Stream.seekg(start);
    };
    try {
        std::array<char, kChunkSize> buffer;
        for (;;) {
            Stream.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            const auto n = static_cast<std::size_t>(Stream.gcount());
            if (n > 0)
                MD5Update(buffer.data(), n);
            if (n < kChunkSize)
                break;
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

std::string MD5File(const std::filesystem::path& filename) {
    TMD5 md5;
    md5.AddFile(filename);
    return md5.DigestStr();
}

} // namespace launcher
