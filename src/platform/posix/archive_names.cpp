#include "platform/archive_names.h"

#include "platform/posix/utf8_locale.h"

#include <archive.h>
#include <archive_entry.h>

namespace launcher::platform {

struct ArchiveNames::Scope {
    ScopedUtf8Locale utf8;
};

ArchiveNames::ArchiveNames() : scope_(std::make_unique<Scope>()) {}
ArchiveNames::~ArchiveNames() = default;

int ArchiveNames::open_for_reading(::archive* reader, const std::filesystem::path& file,
                                   std::size_t block_size) {
    return archive_read_open_filename(reader, file.c_str(), block_size);
}

int ArchiveNames::open_for_writing(::archive* writer, const std::filesystem::path& file) {
    return archive_write_open_filename(writer, file.c_str());
}

std::string ArchiveNames::member_name(archive_entry* entry) {
    const char* name = archive_entry_pathname_utf8(entry);
    if (name == nullptr)
        name = archive_entry_pathname(entry);
    return name != nullptr ? name : "";
}

void ArchiveNames::set_member_name(archive_entry* entry, std::string_view utf8) {
    archive_entry_set_pathname_utf8(entry, std::string(utf8).c_str());
}

int ArchiveNames::prepare_writer(::archive*, bool) {
    return ARCHIVE_OK; // the UTF-8 locale makes the writers store UTF-8
}

} // namespace launcher::platform
