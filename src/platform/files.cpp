#include "platform/files.h"

#include "platform/error_text.h"
#include "platform/utf8_path.h"

namespace launcher::platform {
Bytes read_file(const std::filesystem::path& path) {
    File file(path, File::Mode::Read);
    Bytes bytes;
    std::uint8_t block[65536];
    for (;;) {
        const std::size_t n = file.read(block);
        if (n == 0)
            return bytes;
        bytes.insert(bytes.end(), block, block + n);
    }
}

std::string read_file_text(const std::filesystem::path& path) {
    const Bytes bytes = read_file(path);
    return {bytes.begin(), bytes.end()};
}

void write_file_atomic(const std::filesystem::path& path, std::string_view content) {
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    try {
        // Created anew: a link standing at the temporary name is removed,
        // never written through.
        File file = File::create_new(temporary);
        file.write(content);
        file.sync();
        file.close();
        rename_replace(temporary, path);
    } catch (...) {
        remove_file(temporary);
        throw;
    }
    sync_folder(path.has_parent_path() ? path.parent_path() : std::filesystem::path("."));
}

bool write_file(const std::filesystem::path& path, std::string_view content) noexcept {
    try {
        File file = File::create_new(path);
        file.write(content);
        file.close();
        return true;
    } catch (...) {
        return false;
    }
}

std::filesystem::path native_path(const std::filesystem::path& base, std::string_view name) {
    std::string relative(name);
    for (char& c : relative)
        if (c == '\\')
            c = '/';
    while (!relative.empty() && relative.front() == '/')
        relative.erase(relative.begin());
    return base / path_from_utf8(relative);
}

} // namespace launcher::platform
