#include "platform/durable_file.h"

#include "platform/files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace launcher::platform {
namespace {

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& path) {
    throw FileError(what + " " + path.string() + ": " + std::strerror(errno));
}

// Every flush of a single file waits for the disk's cache to be written, some
// milliseconds each; past a few files one flush of the whole file system is
// far cheaper.
constexpr std::size_t kFilesFlushedOneByOne = 8;

class OpenedForFlush {
public:
    explicit OpenedForFlush(const std::filesystem::path& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        if (fd_ < 0)
            fail("Cannot open", path);
    }
    ~OpenedForFlush() { ::close(fd_); }
    OpenedForFlush(const OpenedForFlush&) = delete;
    OpenedForFlush& operator=(const OpenedForFlush&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

OutputFile::OutputFile(std::filesystem::path path) : path_(std::move(path)) {
    handle_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (handle_ < 0)
        fail("Cannot create", path_);
}

OutputFile::~OutputFile() {
    if (handle_ >= 0)
        ::close(static_cast<int>(handle_));
}

void OutputFile::write(std::span<const std::uint8_t> bytes) {
    if (handle_ < 0)
        throw FileError("Cannot write " + path_.string() + ": the file is closed");
    while (!bytes.empty()) {
        const ssize_t n = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail("Cannot write", path_);
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
}

void OutputFile::close() {
    if (handle_ < 0)
        return;
    const int fd = static_cast<int>(handle_);
    handle_ = -1;
    if (::close(fd) != 0)
        fail("Cannot write", path_);
}

void flush_to_disk(const std::vector<std::filesystem::path>& paths) {
    if (paths.size() <= kFilesFlushedOneByOne) {
        for (const auto& path : paths) {
            const OpenedForFlush file(path);
            if (::fsync(file.get()) != 0)
                fail("Cannot flush", path);
        }
        return;
    }
    // One flush per file system the paths lie on.
    std::set<dev_t> flushed;
    for (const auto& path : paths) {
        const OpenedForFlush file(path);
        struct stat info {};
        if (::fstat(file.get(), &info) != 0)
            fail("Cannot flush", path);
        if (!flushed.insert(info.st_dev).second)
            continue;
        if (::syncfs(file.get()) != 0)
            fail("Cannot flush", path);
    }
}

} // namespace launcher::platform
