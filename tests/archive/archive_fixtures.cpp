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

} // namespace

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
