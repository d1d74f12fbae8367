#include "platform/files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <system_error>
#include <unistd.h>

namespace launcher::platform {
namespace {

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& path) {
    throw FileError(what + " " + path.string() + ": " + std::strerror(errno));
}

void write_all(int fd, std::string_view content, const std::filesystem::path& path) {
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail("Cannot write", path);
        written += static_cast<std::size_t>(n);
    }
}

} // namespace

Bytes read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        fail("Cannot open file", path);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        fail("Cannot read", path);
    return bytes;
}

std::string read_file_text(const std::filesystem::path& path) {
    const Bytes bytes = read_file(path);
    return {bytes.begin(), bytes.end()};
}

void write_file_atomic(const std::filesystem::path& path, std::string_view content) {
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        fail("Cannot create", temporary);
    try {
        write_all(fd, content, temporary);
        if (::fsync(fd) != 0)
            fail("Cannot flush", temporary);
    } catch (...) {
        ::close(fd);
        ::unlink(temporary.c_str());
        throw;
    }
    ::close(fd);
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        errno = saved;
        fail("Cannot replace", path);
    }
}

bool write_file(const std::filesystem::path& path, std::string_view content) noexcept {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = true;
    try {
        write_all(fd, content, path);
    } catch (...) {
        ok = false;
    }
    return ::close(fd) == 0 && ok;
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
