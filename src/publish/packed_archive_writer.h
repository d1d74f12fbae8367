#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <time.h>
#include <vector>

namespace launcher::publish {

enum class PackedFormat { rar, sevenzip, zip };

// "rar", "7z" or "zip"; throws std::invalid_argument for anything else.
PackedFormat ParsePackedFormat(std::string_view text);

// What packing one game file gave.
struct PackedArchive {
    std::string content_hash; // MD5 of the file's content
    std::string packed_hash;  // MD5 of the archive's bytes
    std::int64_t size = 0;    // the file's size and last-write time as it was read
    timespec modified{};
    std::uint64_t archive_size = 0;
    bool executable = false; // the member is marked as a program
};

// Packs game files one at a time, each as an archive holding one member: a
// stored RAR 4 archive, or a compressed 7z or zip archive. A game file is read
// once and its archive written once, both hashes taken on the way. A file
// its owner may run is marked as a program in its archive, so that players
// on systems with an execute bit get it executable.
class ArchivePacker {
public:
    // A stored RAR member's header carries the CRC-32 of the content ahead of
    // it, so a file of up to `whole_file_limit` bytes is read into memory
    // before its archive is written; a larger one is read twice, first for
    // its CRC-32.
    static constexpr std::size_t kWholeFileLimit = 64u << 20;
    explicit ArchivePacker(PackedFormat format, std::size_t whole_file_limit = kWholeFileLimit);

    // Writes the archive of `source` to `archive` (created or replaced) with
    // one member named `member_name`. Throws platform::FileError when a file
    // cannot be read or written, or when the game file changed while it was
    // packed. The archive is not flushed to the disk.
    PackedArchive pack(const std::filesystem::path& source, std::string_view member_name,
                       const std::filesystem::path& archive);

private:
    std::span<std::uint8_t> buffer(std::size_t size);

    PackedFormat format_;
    std::size_t whole_file_limit_;
    std::vector<std::uint8_t> buffer_;
};

} // namespace launcher::publish
