#include "archive_fixtures.h"

#include "archive/rar4_writer.h"
#include "platform/archive_names.h"
#include "platform/utf8_path.h"

#include <algorithm>
#include <stdexcept>

#include <archive.h>
#include <archive_entry.h>

namespace launcher::testing {
namespace {

void write_with_libarchive(const std::filesystem::path& path, const std::vector<Member>& members,
                           int (*set_format)(::archive*)) {
    const platform::ArchiveNames names;
    ::archive* a = archive_write_new();
    set_format(a);
    platform::ArchiveNames::prepare_writer(a, set_format == archive_write_set_format_zip);
    if (platform::ArchiveNames::open_for_writing(a, path) != ARCHIVE_OK)
        throw std::runtime_error(archive_error_string(a));
    for (const auto& member : members) {
        archive_entry* entry = archive_entry_new();
        platform::ArchiveNames::set_member_name(entry, member.name);
        archive_entry_set_mtime(entry, 1700000000, 0);
        switch (member.kind) {
        case Member::Kind::file:
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_perm(entry, 0644);
            archive_entry_set_size(entry, static_cast<la_int64_t>(member.content.size()));
            break;
        case Member::Kind::directory:
            archive_entry_set_filetype(entry, AE_IFDIR);
            archive_entry_set_perm(entry, 0755);
            break;
        case Member::Kind::symlink:
            archive_entry_set_filetype(entry, AE_IFLNK);
            archive_entry_set_perm(entry, 0777);
            archive_entry_set_symlink(entry, member.content.c_str());
            break;
        }
        archive_write_header(a, entry);
        if (member.kind == Member::Kind::file)
            archive_write_data(a, member.content.data(), member.content.size());
        archive_entry_free(entry);
    }
    archive_write_close(a);
    archive_write_free(a);
}

// RAR 5's variable-length integer: seven bits a byte, low bits first.
void put_vint(std::vector<std::uint8_t>& out, std::uint64_t value) {
    do {
        std::uint8_t byte = value & 0x7F;
        value >>= 7;
        if (value != 0)
            byte |= 0x80;
        out.push_back(byte);
    } while (value != 0);
}

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A RAR 5 header: the CRC-32 of the size field and `body`, the size, the body.
void put_rar5_header(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& body) {
    std::vector<std::uint8_t> sized;
    put_vint(sized, body.size());
    sized.insert(sized.end(), body.begin(), body.end());
    put_u32(out, Crc32(sized));
    out.insert(out.end(), sized.begin(), sized.end());
}

} // namespace

void write_rar5(const std::filesystem::path& path, const std::vector<Member>& members) {
    constexpr std::uint8_t kSignature[] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x01, 0x00};
    std::vector<std::uint8_t> out(std::begin(kSignature), std::end(kSignature));
    put_rar5_header(out, {1, 0, 0}); // main header: no flags
    for (const Member& member : members) {
        std::vector<std::uint8_t> data(member.content.begin(), member.content.end());
        std::vector<std::uint8_t> extra;
        if (member.encrypted) {
            for (std::uint8_t& byte : data)
                byte ^= 0x5A; // the ciphertext differs from the content its CRC is of
            data.resize((data.size() + 15) / 16 * 16);        // whole AES blocks
            std::vector<std::uint8_t> record = {1, 0, 0, 15}; // type, version, flags, KDF count
            record.resize(record.size() + 32, 0x5A);          // salt and IV
            put_vint(extra, record.size());
            extra.insert(extra.end(), record.begin(), record.end());
        }
        std::vector<std::uint8_t> body;
        put_vint(body, 2);                                 // file header
        put_vint(body, 0x02 | (extra.empty() ? 0 : 0x01)); // data area, extra area
        if (!extra.empty())
            put_vint(body, extra.size());
        put_vint(body, data.size());
        put_vint(body, 0x04); // the data's CRC-32 is given
        put_vint(body, member.content.size());
        put_vint(body, 0x20); // attributes: archive
        put_u32(body, Crc32({reinterpret_cast<const std::uint8_t*>(member.content.data()),
                             member.content.size()}));
        // Encrypted members are compressed, as archivers make them.
        put_vint(body, member.encrypted ? 3 << 7 : 0); // method 3 or stored, version 0
        put_vint(body, 0);                             // made on Windows
        put_vint(body, member.name.size());
        body.insert(body.end(), member.name.begin(), member.name.end());
        body.insert(body.end(), extra.begin(), extra.end());
        put_rar5_header(out, body);
        out.insert(out.end(), data.begin(), data.end());
    }
    put_rar5_header(out, {5, 0, 0}); // end of the archive
    platform::write_file_atomic(path, std::string(out.begin(), out.end()));
}

std::string ManifestBomb() {
    // Made with `bzip2 -9`: compressing that much in a test takes a while.
    return std::string(
        "\x42\x5a\x68\x39\x31\x41\x59\x26\x53\x59\x2b\x71\xbb\x71\x01\x5f\x8e\x40\x00"
        "\x80\x10\x00\x08\x20\x00\x30\x80\x4d\x46\x42\xa0\x25\xa9\x0a\x80\x97\x31\x41"
        "\x59\x26\x53\x59\x2b\x71\xbb\x71\x01\x5f\x8e\x40\x00\x80\x10\x00\x08\x20\x00"
        "\x30\x80\x4d\x46\x42\xa0\x25\xa9\x0a\x80\x97\x31\x41\x59\x26\x53\x59\xea\xb8"
        "\xe3\x38\x01\x4c\xef\x60\x00\x80\x10\x04\x00\x00\x08\x20\x00\x30\xcc\x09\xaa"
        "\x69\xa0\x85\x14\xb6\xa0\x42\x8a\x5e\x2e\xe4\x8a\x70\xa1\x20\x23\x3a\xf0\x3c",
        114);
}

void write_zip(const std::filesystem::path& path, const std::vector<Member>& members) {
    write_with_libarchive(path, members, archive_write_set_format_zip);
}

void write_7z(const std::filesystem::path& path, const std::vector<Member>& members) {
    write_with_libarchive(path, members, archive_write_set_format_7zip);
}

void write_rar(const std::filesystem::path& path, const std::vector<Member>& members) {
    Rar4StoreWriter writer(path);
    for (const auto& member : members) {
        if (member.kind == Member::Kind::directory)
            writer.add_directory(member.name, 1700000000);
        else
            writer.add_bytes(member.name,
                             std::span(reinterpret_cast<const std::uint8_t*>(member.content.data()),
                                       member.content.size()),
                             1700000000);
    }
    writer.finish();
}

std::vector<std::string> files_below(const std::filesystem::path& folder) {
    std::vector<std::string> files;
    if (!std::filesystem::exists(folder))
        return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (!entry.is_directory()) {
            // "/" between folders on every system, as UTF-8.
            const std::u8string name =
                std::filesystem::relative(entry.path(), folder).generic_u8string();
            files.emplace_back(name.begin(), name.end());
        }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace launcher::testing
