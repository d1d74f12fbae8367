#include "platform/files.h"

#include "platform/error_text.h"
#include "platform/utf8_path.h"

namespace launcher::platform {
namespace {

std::span<const std::uint8_t> bytes_of(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

} // namespace

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
        File file(temporary, File::Mode::Truncate);
        file.write(bytes_of(content));
        file.sync();
        file.close();
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw;
    }
    std::error_code error;
    rename_replace(temporary, path, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw FileError("Cannot replace " + utf8_of(path) + ": " + error_text(error));
    }
}

bool write_file(const std::filesystem::path& path, std::string_view content) noexcept {
    std::error_code error;
    File file = File::open(path, File::Mode::Truncate, error);
    if (error)
        return false;
    file.write(bytes_of(content), error);
    const bool written = !error;
    file.close(error);
    return written && !error;
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
