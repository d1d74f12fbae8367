#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace launcher {

// How many stall periods (a request with no byte for a whole period, or
// one too slow for a whole window) one update server may cost a run before
// the run gives it up and goes on with the next.
inline constexpr int kServerStallAllowance = 4;
// How many of them one file may cost before it fails; the next server
// starts it afresh.
inline constexpr int kFileStallAllowance = 2;

// The update servers of one run, best first, and the stalls the one in use
// has cost so far.
class ServerRotation {
public:
    void reset(std::vector<std::string> ranked);

    // The server in use; empty when there is none.
    const std::string& current() const;
    bool has_next() const { return index_ + 1 < servers_.size(); }
    // Goes on with the next server; false (and nothing changes) when none is left.
    bool next();

    // The stall periods the server in use may still cost; at least one
    // while it is not given up.
    int allowance() const;
    // Counts stall periods of the server in use; true when they used up
    // its allowance just now.
    bool record_stalls(int periods);
    bool given_up() const { return stalls_ >= kServerStallAllowance; }

private:
    std::vector<std::string> servers_;
    std::size_t index_ = 0;
    int stalls_ = 0;
};

} // namespace launcher
