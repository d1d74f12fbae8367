#include "publish/archive_member_mode.h"

#include "platform/archive_names.h"

#include <memory>

#include <archive.h>
#include <archive_entry.h>

namespace launcher::publish {

std::optional<bool> ArchiveMemberExecutable(const std::filesystem::path& archive) {
    const std::unique_ptr<::archive, decltype(&archive_read_free)> reader(archive_read_new(),
                                                                          &archive_read_free);
    archive_read_support_format_rar(reader.get());
    archive_read_support_format_7zip(reader.get());
    archive_read_support_format_zip(reader.get());
    if (platform::ArchiveNames::open_for_reading(reader.get(), archive, 1 << 14) != ARCHIVE_OK)
        return std::nullopt;
    archive_entry* entry = nullptr;
    if (archive_read_next_header(reader.get(), &entry) < ARCHIVE_WARN)
        return std::nullopt;
    return (archive_entry_perm(entry) & 0100) != 0;
}

} // namespace launcher::publish
