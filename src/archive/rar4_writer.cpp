#include "archive/rar4_writer.h"

#include "platform/error_text.h"
#include "platform/file.h"
#include "platform/local_time.h"
#include "platform/utf8_path.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>
#include <vector>
#include <zlib.h>

namespace launcher {
namespace {

constexpr std::uint8_t kMainHeader = 0x73;
constexpr std::uint8_t kFileHeader = 0x74;
constexpr std::uint8_t kEndHeader = 0x7B;
constexpr std::uint16_t kLongBlock = 0x8000;
constexpr std::uint16_t kLargeSizes = 0x0100;
constexpr std::uint16_t kUnicodeName = 0x0200;
constexpr std::uint16_t kDirectory = 0x00E0;
constexpr std::uint16_t kSkipIfUnknown = 0x4000;
constexpr std::uint8_t kHostWindows = 2;
// A member made on Unix carries its file mode as its attributes; readers on
// Unix give the extracted file that mode.
constexpr std::uint8_t kHostUnix = 3;
constexpr std::uint32_t kExecutableMode = 0100755;
constexpr std::uint8_t kVersion20 = 20;
constexpr std::uint8_t kMethodStore = 0x30;
constexpr std::size_t kCopyBlock = 1 << 20;

class HeaderBytes {
public:
    void u8(std::uint8_t value) { bytes_.push_back(value); }
    void u16(std::uint16_t value) {
        for (int i = 0; i < 2; ++i)
            bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
    void u32(std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
    void text(std::string_view value) { bytes_.insert(bytes_.end(), value.begin(), value.end()); }

    // Prefixes the low 16 bits of the CRC-32 of everything from the type on.
    std::vector<std::uint8_t> sealed() const {
        const auto crc = static_cast<std::uint16_t>(Crc32(bytes_) & 0xFFFF);
        std::vector<std::uint8_t> out(2 + bytes_.size());
        out[0] = static_cast<std::uint8_t>(crc);
        out[1] = static_cast<std::uint8_t>(crc >> 8);
        std::copy(bytes_.begin(), bytes_.end(), out.begin() + 2);
        return out;
    }

private:
    std::vector<std::uint8_t> bytes_;
};

std::uint32_t dos_time(std::time_t modified) {
    const auto local = platform::local_time_of(static_cast<std::int64_t>(modified));
    if (!local || local->year < 1980)
        return 0x00210000; // 1980-01-01, the earliest such a time can say
    const int second = local->second > 59 ? 59 : local->second;
    return static_cast<std::uint32_t>((local->year - 1980) << 25 | local->month << 21 |
                                      local->day << 16 | local->hour << 11 | local->minute << 5 |
                                      second / 2);
}

bool is_ascii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
    // zlib takes at most 4 GiB at once.
    while (!bytes.empty()) {
        const auto chunk = std::min<std::size_t>(bytes.size(), 1u << 30);
        crc = static_cast<std::uint32_t>(::crc32(crc, bytes.data(), static_cast<uInt>(chunk)));
        bytes = bytes.subspan(chunk);
    }
    return crc;
}

namespace {

std::vector<std::uint8_t> member_header(std::string_view name, std::uint64_t size,
                                        std::uint32_t crc, std::time_t modified, bool directory,
                                        bool executable = false) {
    const bool large = size > 0xFFFFFFFFull;
    std::uint16_t flags = kLongBlock;
    if (large)
        flags |= kLargeSizes;
    // A Unicode-flagged name without a zero byte is read as UTF-8.
    if (!is_ascii(name))
        flags |= kUnicodeName;
    if (directory)
        flags |= kDirectory;
    HeaderBytes h;
    h.u8(kFileHeader);
    h.u16(flags);
    h.u16(static_cast<std::uint16_t>(32 + (large ? 8 : 0) + name.size()));
    h.u32(static_cast<std::uint32_t>(size)); // packed size: stored as is
    h.u32(static_cast<std::uint32_t>(size));
    // Only a program is marked as made on Unix: every other member keeps the
    // Windows form, byte for byte, so its packed hash stays as it was.
    h.u8(executable ? kHostUnix : kHostWindows);
    h.u32(crc);
    h.u32(dos_time(modified));
    h.u8(kVersion20);
    h.u8(kMethodStore);
    h.u16(static_cast<std::uint16_t>(name.size()));
    h.u32(executable ? kExecutableMode : directory ? 0x10 : 0x20);
    if (large) {
        h.u32(static_cast<std::uint32_t>(size >> 32));
        h.u32(static_cast<std::uint32_t>(size >> 32));
    }
    h.text(name);
    return h.sealed();
}

} // namespace

std::vector<std::uint8_t> Rar4ArchiveStart() {
    static constexpr std::array<std::uint8_t, 7> kMarker{0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
    HeaderBytes main;
    main.u8(kMainHeader);
    main.u16(0);
    main.u16(13);
    main.u16(0);
    main.u32(0);
    auto start = main.sealed();
    start.insert(start.begin(), kMarker.begin(), kMarker.end());
    return start;
}

std::vector<std::uint8_t> Rar4StoredFileHeader(std::string_view member_name, std::uint64_t size,
                                               std::uint32_t crc, std::time_t modified,
                                               bool executable) {
    return member_header(member_name, size, crc, modified, false, executable);
}

std::vector<std::uint8_t> Rar4ArchiveEnd() {
    HeaderBytes end;
    end.u8(kEndHeader);
    end.u16(kSkipIfUnknown);
    end.u16(7);
    return end.sealed();
}

struct Rar4StoreWriter::Member {
    std::string name;
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    std::time_t modified = 0;
    bool directory = false;

    std::vector<std::uint8_t> header() const {
        return member_header(name, size, crc, modified, directory);
    }
};

Rar4StoreWriter::Rar4StoreWriter(std::filesystem::path archive) : archive_(std::move(archive)) {
    temporary_ = archive_;
    temporary_ += ".writing";
    file_ = platform::File::create_new(temporary_);
    write_all(Rar4ArchiveStart());
}

Rar4StoreWriter::~Rar4StoreWriter() {
    if (file_.is_open()) {
        std::error_code ignored;
        file_.close(ignored);
        std::filesystem::remove(temporary_, ignored);
    }
}

void Rar4StoreWriter::write_all(std::span<const std::uint8_t> bytes) {
    file_.write_at(position_, bytes);
    position_ += bytes.size();
}

void Rar4StoreWriter::write_member(const Member& member, platform::File* source,
                                   std::span<const std::uint8_t> content) {
    Member written = member;
    const std::uint64_t header_at = position_;
    const auto placeholder = written.header();
    write_all(placeholder);
    if (source != nullptr) {
        std::vector<std::uint8_t> block(kCopyBlock);
        std::uint64_t copied = 0;
        for (;;) {
            std::error_code error;
            const std::size_t n = source->read(block, error);
            if (error)
                throw platform::FileError("Cannot read " + member.name + ": " +
                                          platform::error_text(error));
            if (n == 0)
                break;
            const auto chunk = std::span(block.data(), n);
            written.crc = Crc32(chunk, written.crc);
            write_all(chunk);
            copied += n;
        }
        written.size = copied;
    } else {
        written.crc = Crc32(content);
        written.size = content.size();
        write_all(content);
    }
    // The header's CRC and sizes are known only now; its length is unchanged
    // unless the file grew past 4 GiB while it was read.
    const auto final_header = written.header();
    if (final_header.size() != placeholder.size())
        throw platform::FileError(member.name + " changed size while it was packed");
    const std::uint64_t end = position_;
    position_ = header_at;
    write_all(final_header);
    position_ = end;
}

void Rar4StoreWriter::add_file(std::string_view member_name, const std::filesystem::path& source) {
    std::error_code error;
    platform::File file = platform::File::open(source, platform::File::Mode::Read, error);
    if (error)
        throw platform::FileError("Cannot open file " + platform::utf8_of(source) + ": " +
                                  platform::error_text(error));
    const platform::FileStatus status = file.status();
    write_member(Member{std::string(member_name), status.size, 0,
                        static_cast<std::time_t>(status.modified.tv_sec), false},
                 &file, {});
}

void Rar4StoreWriter::add_bytes(std::string_view member_name, std::span<const std::uint8_t> content,
                                std::time_t modified) {
    write_member(Member{std::string(member_name), content.size(), 0, modified, false}, nullptr,
                 content);
}

void Rar4StoreWriter::add_directory(std::string_view member_name, std::time_t modified) {
    write_member(Member{std::string(member_name), 0, 0, modified, true}, nullptr, {});
}

void Rar4StoreWriter::finish() {
    write_all(Rar4ArchiveEnd());
    std::error_code error;
    file_.sync(error);
    std::error_code closed;
    file_.close(closed);
    if (error || closed) {
        std::filesystem::remove(temporary_, closed);
        throw platform::FileError("Cannot write " + platform::utf8_of(temporary_));
    }
    platform::rename_replace(temporary_, archive_, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
        throw platform::FileError("Cannot replace " + platform::utf8_of(archive_) + ": " +
                                  platform::error_text(error));
    }
}

} // namespace launcher
