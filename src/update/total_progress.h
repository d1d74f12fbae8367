#pragma once

#include <cstdint>
#include <vector>

namespace launcher {

// How far a run over a list of files has come, weighed by their sizes: a
// large file still to come keeps the total low, where counting files would
// show it nearly done. A file of unknown size (negative) weighs as much as
// the known ones on average; when no size is known, every file weighs one.
class TotalProgress {
public:
    explicit TotalProgress(const std::vector<std::int64_t>& sizes);

    // The share, from 0 to 1, of the first `files` files in the whole.
    double share_before(int files) const;

private:
    std::vector<double> cumulative_; // cumulative_[i]: weight of the first i files
};

} // namespace launcher
