#include "platform/archive_names.h"

#include "platform/win32/win32_text.h"

#include <archive.h>
#include <archive_entry.h>

namespace launcher::platform {

struct ArchiveNames::Scope {};

ArchiveNames::ArchiveNames() = default;
ArchiveNames::~ArchiveNames() = default;

int ArchiveNames::open_for_reading(::archive* reader, const std::filesystem::path& file,
                                   std::size_t block_size) {
    return archive_read_open_filename_w(reader, file.c_str(), block_size);
}

int ArchiveNames::open_for_writing(::archive* writer, const std::filesystem::path& file) {
    return archive_write_open_filename_w(writer, file.c_str());
}

std::string ArchiveNames::member_name(archive_entry* entry) {
    if (const char* utf8 = archive_entry_pathname_utf8(entry))
        return utf8;
    if (const wchar_t* wide = archive_entry_pathname_w(entry))
        return win32::narrow(wide);
    const char* name = archive_entry_pathname(entry);
    return name != nullptr ? name : "";
}

void ArchiveNames::set_member_name(archive_entry* entry, std::string_view utf8) {
    archive_entry_copy_pathname_w(entry, win32::wide(utf8).c_str());
}

int ArchiveNames::prepare_writer(::archive* writer, bool zip) {
    if (!zip)
        return ARCHIVE_OK; // 7z stores UTF-16 names of its own accord
    return archive_write_set_options(writer, "hdrcharset=UTF-8");
}

} // namespace launcher::platform
