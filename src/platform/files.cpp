#include "platform/files.h"

#include "platform/file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <system_error>
#include <unistd.h>

namespace launcher::platform {
FileProblem file_problem_of(int system_error) {
    switch (system_error) {
    case ENOENT:
        return FileProblem::NotFound;
    case EACCES:
    case EPERM:
        return FileProblem::PermissionDenied;
    case EROFS:
        return FileProblem::ReadOnly;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return FileProblem::DiskFull;
    case ENOTDIR:
        return FileProblem::NotAFolder;
    case EISDIR:
        return FileProblem::IsAFolder;
    case ELOOP:
        return FileProblem::Link;
    default:
        return FileProblem::Other;
    }
}

FileError file_error(std::string_view what, const std::filesystem::path& path, int system_error) {
    const char* reason =
        system_error == ELOOP ? "it is a symbolic link" : std::strerror(system_error);
    return FileError(std::string(what) + " " + path.string() + ": " + reason,
                     file_problem_of(system_error), path);
}

Bytes read_file(const std::filesystem::path& path) {
    File file = File::open_read(path);
    Bytes bytes;
    std::uint8_t block[65536];
    while (const std::size_t n = file.read(block, sizeof block))
        bytes.insert(bytes.end(), block, block + n);
    return bytes;
}

std::string read_file_text(const std::filesystem::path& path) {
    const Bytes bytes = read_file(path);
    return {bytes.begin(), bytes.end()};
}

void write_file_atomic(const std::filesystem::path& path, std::string_view content) {
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    try {
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
        return true;
    } catch (...) {
        return false;
    }
}

std::filesystem::path executable_path() {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        throw FileError("Cannot find the running executable: " + error.message());
    return path;
}

std::filesystem::path native_path(const std::filesystem::path& base, std::string_view name) {
    std::string relative(name);
    for (char& c : relative)
        if (c == '\\')
            c = '/';
    while (!relative.empty() && relative.front() == '/')
        relative.erase(relative.begin());
    return base / relative;
}

} // namespace launcher::platform
