#include "download/target_file.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace launcher {

TargetFile::~TargetFile() {
    close();
}

bool TargetFile::create(const std::filesystem::path& path, std::int64_t length) {
    close();
    descriptor_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor_ < 0)
        return false;
    // Sizing the file up front lets every range be written at its offset in
    // any order; the unwritten parts read as zeros.
    if (::ftruncate(descriptor_, static_cast<off_t>(length)) != 0) {
        close();
        return false;
    }
    return true;
}

bool TargetFile::write_at(std::int64_t offset, const char* data, std::size_t size) const {
    while (size > 0) {
        const ssize_t written = ::pwrite(descriptor_, data, size, static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
        offset += written;
    }
    return true;
}

void TargetFile::close() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
    descriptor_ = -1;
}

} // namespace launcher
