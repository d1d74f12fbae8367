#include "download/ordered_digest.h"

#include "catalogue/md5.h"
#include "platform/file.h"

#include <chrono>
#include <thread>
#include <vector>

namespace launcher {
namespace {

constexpr std::size_t kReadSize = 1 << 20;
// How long the hasher sleeps when it has caught up with the download.
constexpr std::chrono::microseconds kCaughtUpPause{500};

} // namespace

OrderedDigest::OrderedDigest(std::filesystem::path file, std::vector<const TargetRangePart*> parts)
    : file_(std::move(file)), parts_(std::move(parts)) {
    for (const TargetRangePart* part : parts_)
        ranges_.push_back(Range{part->First(), part->Length()});
}

void OrderedDigest::AllWritten() {
    std::lock_guard guard(parts_mutex_);
    parts_.clear();
}

std::int64_t OrderedDigest::written(std::size_t index) {
    std::lock_guard guard(parts_mutex_);
    return parts_.empty() ? ranges_[index].length : parts_[index]->Written();
}

void OrderedDigest::Run(const std::atomic<bool>& cancel) {
    try {
        const platform::File file(file_, platform::File::Mode::Read);
        TMD5 digest;
        std::vector<std::uint8_t> buffer(kReadSize);
        for (std::size_t index = 0; index < ranges_.size(); ++index) {
            const Range range = ranges_[index];
            std::int64_t done = 0;
            while (done < range.length) {
                if (cancel.load())
                    return;
                const std::int64_t ready = written(index) - done;
                if (ready <= 0) {
                    std::this_thread::sleep_for(kCaughtUpPause);
                    continue;
                }
                const auto want = static_cast<std::size_t>(
                    std::min<std::int64_t>(ready, static_cast<std::int64_t>(buffer.size())));
                const std::size_t got = file.read_at(range.first + done, buffer.data(), want);
                if (got == 0)
                    return; // shorter than its ranges: not this download's file any more
                digest.Add(buffer.data(), got);
                done += static_cast<std::int64_t>(got);
            }
        }
        result_ = digest.DigestStr();
    } catch (const std::exception&) {
        // No hash: the caller reads the file itself.
    }
}

} // namespace launcher
