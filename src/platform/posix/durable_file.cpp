#include "platform/durable_file.h"

#include <cerrno>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace launcher::platform {
namespace {

// Every flush of a single file waits for the disk's cache to be written, some
// milliseconds each; past a few files one flush of the whole file system is
// far cheaper.
constexpr std::size_t kFilesFlushedOneByOne = 8;

class OpenedForFlush {
public:
    explicit OpenedForFlush(const std::filesystem::path& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        if (fd_ < 0)
            throw file_error("Cannot open", path, {errno, std::generic_category()});
    }
    ~OpenedForFlush() { ::close(fd_); }
    OpenedForFlush(const OpenedForFlush&) = delete;
    OpenedForFlush& operator=(const OpenedForFlush&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

void flush_to_disk(const std::vector<std::filesystem::path>& paths) {
    if (paths.size() <= kFilesFlushedOneByOne) {
        for (const auto& path : paths) {
            const OpenedForFlush file(path);
            if (::fsync(file.get()) != 0)
                throw file_error("Cannot flush", path, {errno, std::generic_category()});
        }
        return;
    }
    // One flush per file system the paths lie on; a look at each path
    // finds its file system without opening it.
    std::set<dev_t> flushed;
    for (const auto& path : paths) {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0)
            throw file_error("Cannot flush", path, {errno, std::generic_category()});
        if (!flushed.insert(info.st_dev).second)
            continue;
        const OpenedForFlush file(path);
        if (::syncfs(file.get()) != 0)
            throw file_error("Cannot flush", path, {errno, std::generic_category()});
    }
}

} // namespace launcher::platform
