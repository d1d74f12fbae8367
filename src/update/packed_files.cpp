#include "update/packed_files.h"

#include "archive/rar_archive.h"
#include "config/config_package.h"
#include "platform/files.h"
#include "platform/memory_stream.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <unistd.h>

namespace launcher {
namespace {

constexpr std::uint8_t kRestoredHeader[5] = {0x42, 0x5A, 0x68, 0x39, 0x31}; // "BZh91"

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& path) {
    throw platform::FileError(what + " " + path.string() + ": " + std::strerror(errno));
}

// An open file closed on every path out.
class OpenFile {
public:
    OpenFile(const std::filesystem::path& path, int flags)
        : fd_(::open(path.c_str(), flags | O_CLOEXEC, 0644)) {}
    ~OpenFile() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

platform::Bytes read_all(int fd, const std::filesystem::path& path) {
    platform::Bytes bytes;
    std::uint8_t block[65536];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail("Cannot read", path);
        if (n == 0)
            return bytes;
        bytes.insert(bytes.end(), block, block + n);
    }
}

void write_all(int fd, std::span<const std::uint8_t> bytes, const std::filesystem::path& path) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail("Cannot write", path);
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
}

} // namespace

void UnpackFile(const std::filesystem::path& packed, const std::filesystem::path& target) {
    std::error_code missing;
    if (!std::filesystem::exists(packed, missing))
        return;

    // Exclusive use of the packed file while its header is restored.
    OpenFile source(packed, O_RDWR);
    if (source.get() < 0)
        fail("Cannot open file", packed);
    if (::flock(source.get(), LOCK_EX | LOCK_NB) != 0)
        fail("Cannot open file exclusively", packed);
    if (::pwrite(source.get(), kRestoredHeader, sizeof kRestoredHeader, 0) < 0)
        fail("Cannot write", packed);

    OpenFile output(target, O_WRONLY | O_CREAT | O_TRUNC);
    if (output.get() < 0)
        fail("Cannot create file", target);

    platform::MemoryStream stream(read_all(source.get(), packed));
    platform::MemoryStream decoded;
    try {
        // A manifest cut short (an interrupted fetch) must not pass for a
        // smaller release: its missing lines would go unnoticed.
        if (!DecodeBZip2Stream(stream, decoded))
            throw ConfigPackageError("The packed manifest " + packed.string() + " ends early");
    } catch (...) {
        write_all(output.get(), decoded.bytes(), target); // what was decoded before the error
        throw;
    }
    write_all(output.get(), decoded.bytes(), target);
}

void UnpackArchive(const std::filesystem::path& archive, const std::filesystem::path& folder,
                   const std::filesystem::path& base_folder) {
    std::error_code missing;
    if (!std::filesystem::exists(archive, missing))
        return;
    TRAR& reader = SharedRAR();
    if (!reader.OpenFile(archive))
        return;
    const std::filesystem::path destination = folder.is_absolute() ? folder : base_folder / folder;
    reader.Extract(destination, false, nullptr);
}

} // namespace launcher
