#include "patch/block_matcher.h"

#include "patch/rolling_checksum.h"

#include <algorithm>
#include <bitset>
#include <cstring>
#include <memory>
#include <unordered_map>

namespace launcher::patch {
namespace {

constexpr std::size_t kReadAhead = 4u << 20;

std::size_t filter_slot(std::uint32_t weak) {
    return (weak ^ (weak >> 16)) & 0xffffu;
}

// A window on the old file: the bytes from a position on, read in large
// pieces and kept while the windows still need them.
class OldBytes {
public:
    OldBytes(std::uint64_t size, const OldFileReader& read, std::size_t span)
        : size_(size), read_(read), buffer_(std::max(kReadAhead, 2 * span)) {}

    // Makes [from, from + length) available and returns where it lies.
    const std::uint8_t* at(std::uint64_t from, std::size_t length) {
        if (from < start_ || from + length > start_ + filled_) {
            const std::uint64_t keep_from = std::max(from, start_);
            std::size_t kept = 0;
            if (keep_from < start_ + filled_) {
                kept = static_cast<std::size_t>(start_ + filled_ - keep_from);
                std::memmove(buffer_.data(), buffer_.data() + (keep_from - start_), kept);
            }
            start_ = from;
            const std::uint64_t left = size_ - (start_ + kept);
            const auto want =
                static_cast<std::size_t>(std::min<std::uint64_t>(buffer_.size() - kept, left));
            std::size_t got = 0;
            while (got < want) {
                const std::size_t n =
                    read_(start_ + kept + got, std::span(buffer_.data() + kept + got, want - got));
                if (n == 0)
                    break;
                got += n;
            }
            filled_ = kept + got;
            if (from + length > start_ + filled_)
                return nullptr; // the old file is shorter than it said
        }
        return buffer_.data() + (from - start_);
    }

private:
    std::uint64_t size_;
    const OldFileReader& read_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t start_ = 0;
    std::size_t filled_ = 0;
};

} // namespace

std::vector<std::optional<std::uint64_t>>
FindLocalBlocks(const BlockIndex& index, std::uint64_t old_size, const OldFileReader& read) {
    const std::size_t count = index.blocks.size();
    std::vector<std::optional<std::uint64_t>> found(count);
    if (count == 0 || old_size == 0)
        return found;
    const std::size_t full = index.block_size;
    const std::size_t last = count - 1;
    const std::size_t short_length = index.block_length(last) < full ? index.block_length(last) : 0;
    const std::size_t full_count = short_length > 0 ? last : count;

    std::unordered_map<std::uint32_t, std::vector<std::size_t>> by_weak;
    auto filter = std::make_unique<std::bitset<0x10000>>();
    for (std::size_t block = 0; block < full_count; ++block) {
        by_weak[index.blocks[block].weak].push_back(block);
        filter->set(filter_slot(index.blocks[block].weak));
    }
    std::size_t missing = count;

    OldBytes old(old_size, read, full);
    RollingChecksum full_sum;
    RollingChecksum short_sum;
    const auto fits = [&](std::uint64_t at, std::size_t length) {
        return length > 0 && at + length <= old_size;
    };
    const auto start_windows = [&](std::uint64_t at) -> bool {
        if (fits(at, full)) {
            const std::uint8_t* bytes = old.at(at, full);
            if (!bytes)
                return false;
            full_sum.reset({bytes, full});
        }
        if (fits(at, short_length)) {
            const std::uint8_t* bytes = old.at(at, short_length);
            if (!bytes)
                return false;
            short_sum.reset({bytes, short_length});
        }
        return true;
    };

    std::uint64_t at = 0;
    if (!start_windows(at))
        return found;
    while (missing > 0 && (fits(at, full) || fits(at, short_length))) {
        if (fits(at, short_length) && !found[last] &&
            short_sum.value() == index.blocks[last].weak) {
            const std::uint8_t* bytes = old.at(at, short_length);
            if (!bytes)
                break;
            if (StrongHashOf({bytes, short_length}) == index.blocks[last].strong) {
                found[last] = at;
                --missing;
            }
        }
        if (fits(at, full) && filter->test(filter_slot(full_sum.value()))) {
            const auto candidates = by_weak.find(full_sum.value());
            if (candidates != by_weak.end()) {
                const std::uint8_t* bytes = old.at(at, full);
                if (!bytes)
                    break;
                std::optional<StrongHash> strong;
                bool matched = false;
                for (const std::size_t block : candidates->second) {
                    if (found[block])
                        continue;
                    if (!strong)
                        strong = StrongHashOf({bytes, full});
                    if (*strong == index.blocks[block].strong) {
                        found[block] = at;
                        --missing;
                        matched = true;
                    }
                }
                if (matched) {
                    // The bytes of a found block stand for it alone: the
                    // search goes on behind them, as a copy would.
                    at += full;
                    if (!start_windows(at))
                        break;
                    continue;
                }
            }
        }
        // One byte along, in each window that still fits.
        const bool full_moves = fits(at + 1, full);
        const bool short_moves = fits(at + 1, short_length);
        if (!full_moves && !short_moves)
            break;
        const std::size_t reach = full_moves ? full : short_length;
        const std::uint8_t* bytes = old.at(at, reach + 1);
        if (!bytes)
            break;
        if (full_moves)
            full_sum.roll(bytes[0], bytes[full]);
        if (short_moves)
            short_sum.roll(bytes[0], bytes[short_length]);
        ++at;
    }
    return found;
}

std::vector<std::optional<std::uint64_t>> FindLocalBlocks(const BlockIndex& index,
                                                          std::span<const std::uint8_t> old) {
    const OldFileReader read = [old](std::uint64_t offset, std::span<std::uint8_t> buffer) {
        if (offset >= old.size())
            return std::size_t{0};
        const std::size_t n = std::min<std::size_t>(buffer.size(), old.size() - offset);
        std::copy_n(old.begin() + static_cast<std::ptrdiff_t>(offset), n, buffer.begin());
        return n;
    };
    return FindLocalBlocks(index, old.size(), read);
}

} // namespace launcher::patch
