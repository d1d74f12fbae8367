#include "update/total_progress.h"

#include <algorithm>

namespace launcher {

TotalProgress::TotalProgress(const std::vector<std::int64_t>& sizes) {
    double known = 0;
    int known_count = 0;
    for (const std::int64_t size : sizes) {
        if (size >= 0) {
            known += static_cast<double>(size);
            ++known_count;
        }
    }
    const bool by_size = known > 0;
    const double unknown_weight = by_size ? known / known_count : 1.0;
    cumulative_.reserve(sizes.size() + 1);
    cumulative_.push_back(0);
    for (const std::int64_t size : sizes) {
        const double weight = !by_size    ? 1.0
                              : size >= 0 ? static_cast<double>(size)
                                          : unknown_weight;
        cumulative_.push_back(cumulative_.back() + weight);
    }
}

double TotalProgress::share_before(int files) const {
    const double whole = cumulative_.back();
    if (whole <= 0)
        return 1.0;
    const auto at =
        static_cast<std::size_t>(std::clamp(files, 0, static_cast<int>(cumulative_.size()) - 1));
    return cumulative_[at] / whole;
}

} // namespace launcher
