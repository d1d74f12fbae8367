#include "platform/durable_file.h"

namespace launcher::platform {

void flush_to_disk(const std::vector<std::filesystem::path>& paths) {
    for (const auto& path : paths) {
        // NTFS keeps names in its journal: only files' contents are flushed.
        if (entry_kind(path) != EntryKind::File)
            continue;
        File file(path, File::Mode::ReadWrite);
        file.sync();
    }
}

} // namespace launcher::platform
