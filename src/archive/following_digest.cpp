#include "archive/following_digest.h"

#include "catalogue/md5.h"
#include "platform/file.h"

#include <algorithm>
#include <system_error>
#include <vector>

namespace launcher {
namespace {

constexpr std::size_t kReadSize = 1 << 20;

} // namespace

FollowingDigest::FollowingDigest(std::filesystem::path file) : file_(std::move(file)) {
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // No thread: Finish reads the file itself.
    }
}

FollowingDigest::~FollowingDigest() {
    {
        std::lock_guard guard(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void FollowingDigest::Written(std::int64_t offset) {
    {
        std::lock_guard guard(mutex_);
        written_ = std::max(written_, offset);
    }
    changed_.notify_one();
}

std::optional<std::string> FollowingDigest::Finish(std::int64_t size) {
    {
        std::lock_guard guard(mutex_);
        written_ = std::max(written_, size);
        final_size_ = size;
    }
    changed_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
        return result_;
    }
    Run(); // without a thread of its own, on the caller's
    return result_;
}

void FollowingDigest::Run() {
    try {
        const platform::File file(file_, platform::File::Mode::Read);
        TMD5 digest;
        std::vector<std::uint8_t> buffer(kReadSize);
        std::int64_t done = 0;
        for (;;) {
            std::int64_t available = 0;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] {
                    return stop_ || written_ > done || (final_size_ && done >= *final_size_);
                });
                if (stop_ && !final_size_)
                    return;
                if (final_size_ && done >= *final_size_)
                    break;
                available = written_;
            }
            while (done < available) {
                const auto want = static_cast<std::size_t>(
                    std::min<std::int64_t>(available - done, static_cast<std::int64_t>(kReadSize)));
                const std::size_t got =
                    file.read_at(static_cast<std::uint64_t>(done), buffer.data(), want);
                if (got == 0)
                    return; // shorter than written: no hash
                digest.Add(buffer.data(), got);
                done += static_cast<std::int64_t>(got);
            }
        }
        result_ = digest.DigestStr();
    } catch (const std::exception&) {
    }
}

} // namespace launcher
