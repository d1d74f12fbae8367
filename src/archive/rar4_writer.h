#pragma once

#include "platform/file.h"

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace launcher {

// Writes RAR 4 archives with stored (uncompressed) members: the form the
// publisher's tool gives each game file. Names keep their backslashes, as a
// Windows-made archive would. The archive is written under a temporary name
// and renamed into place by `finish`.
class Rar4StoreWriter {
public:
    explicit Rar4StoreWriter(std::filesystem::path archive);
    ~Rar4StoreWriter();
    Rar4StoreWriter(const Rar4StoreWriter&) = delete;
    Rar4StoreWriter& operator=(const Rar4StoreWriter&) = delete;

    // Streams a file's content in; its last-write time becomes the member's.
    void add_file(std::string_view member_name, const std::filesystem::path& source);
    void add_bytes(std::string_view member_name, std::span<const std::uint8_t> content,
                   std::time_t modified);
    void add_directory(std::string_view member_name, std::time_t modified);
    void finish();

private:
    struct Member;
    void write_member(const Member& member, platform::File* source,
                      std::span<const std::uint8_t> content);
    void write_all(std::span<const std::uint8_t> bytes);

    std::filesystem::path archive_;
    std::filesystem::path temporary_;
    platform::File file_;
    std::uint64_t position_ = 0;
};

// The pieces of a RAR 4 archive with stored members, for writers that produce
// the archive's bytes strictly in order: the archive's start (marker and main
// header), a file member's header (it carries the CRC-32 of the content that
// follows it, so the content must be known before it is written) and the
// archive's end. An `executable` member is marked as a program: made on
// Unix, with the mode rwxr-xr-x as its attributes.
std::vector<std::uint8_t> Rar4ArchiveStart();
std::vector<std::uint8_t> Rar4StoredFileHeader(std::string_view member_name, std::uint64_t size,
                                               std::uint32_t crc, std::time_t modified,
                                               bool executable = false);
std::vector<std::uint8_t> Rar4ArchiveEnd();

// CRC-32 as RAR and zip use it.
std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

} // namespace launcher
