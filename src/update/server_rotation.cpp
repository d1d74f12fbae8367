#include "update/server_rotation.h"

#include <algorithm>

namespace launcher {

void ServerRotation::reset(std::vector<std::string> ranked) {
    servers_ = std::move(ranked);
    index_ = 0;
    stalls_ = 0;
}

const std::string& ServerRotation::current() const {
    static const std::string none;
    return index_ < servers_.size() ? servers_[index_] : none;
}

bool ServerRotation::next() {
    if (!has_next())
        return false;
    ++index_;
    stalls_ = 0;
    return true;
}

int ServerRotation::allowance() const {
    return std::max(1, kServerStallAllowance - stalls_);
}

bool ServerRotation::record_stalls(int periods) {
    const bool was_given_up = given_up();
    stalls_ += std::max(0, periods);
    return !was_given_up && given_up();
}

} // namespace launcher
