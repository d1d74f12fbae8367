#include "download/target_file.h"

namespace launcher {

bool TargetFile::create(const std::filesystem::path& path, std::int64_t length) {
    close();
    {
        std::lock_guard guard(failure_mutex_);
        failure_.reset();
    }
    try {
        // A target left by an earlier download is reused: every byte of it
        // is written again before the download counts as complete.
        file_ = platform::File::create_or_reuse(path);
        // Sizing the file up front lets every range be written at its offset
        // in any order.
        file_.set_size(length);
        return true;
    } catch (const platform::FileError& error) {
        keep_failure(error);
        file_.close();
        return false;
    }
}

bool TargetFile::write_at(std::int64_t offset, const char* data, std::size_t size) const {
    try {
        file_.write_at(offset, data, size);
        return true;
    } catch (const platform::FileError& error) {
        keep_failure(error);
        return false;
    }
}

void TargetFile::close() {
    file_.close();
}

std::optional<platform::FileError> TargetFile::failure() const {
    std::lock_guard guard(failure_mutex_);
    return failure_;
}

void TargetFile::keep_failure(const platform::FileError& error) const {
    std::lock_guard guard(failure_mutex_);
    if (!failure_)
        failure_ = error;
}

} // namespace launcher
