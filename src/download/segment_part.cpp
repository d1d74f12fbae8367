#include "download/segment_part.h"

#include "download/target_file.h"

#include <algorithm>

namespace launcher {

bool MemoryPart::write(const char* data, std::size_t size) {
    const std::size_t end = position_ + size;
    if (bytes_.size() < end)
        bytes_.resize(end);
    std::copy(data, data + size, bytes_.begin() + static_cast<std::ptrdiff_t>(position_));
    position_ = end;
    return true;
}

TargetRangePart::TargetRangePart(const TargetFile& target, std::int64_t first, std::int64_t length)
    : target_(target), first_(first), length_(length) {}

void TargetRangePart::rewind() {
    position_ = 0;
    written_.store(0, std::memory_order_release);
    if (digest_) {
        digest_->Reset(); // a new attempt writes the range again from its start
        digested_ = 0;
    }
}

std::optional<std::string> TargetRangePart::Digest() const {
    if (!digest_ || digested_ != length_)
        return std::nullopt;
    return digest_->DigestStr();
}

bool TargetRangePart::write(const char* data, std::size_t size) {
    const std::int64_t room = std::max<std::int64_t>(0, length_ - position_);
    const auto inside =
        static_cast<std::size_t>(std::min<std::int64_t>(room, static_cast<std::int64_t>(size)));
    if (inside > 0 && !target_.write_at(first_ + position_, data, inside))
        return false;
    if (digest_ && inside > 0 && digested_ == position_) {
        digest_->Add(data, inside);
        digested_ += static_cast<std::int64_t>(inside);
    }
    position_ += static_cast<std::int64_t>(size);
    high_water_ = std::max(high_water_, position_);
    written_.store(std::min(position_, length_), std::memory_order_release);
    return true;
}

} // namespace launcher
