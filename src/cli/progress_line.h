#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace launcher::cli {

// One terminal line that is redrawn in place ("\r") with the progress of a
// transfer, and closed with a newline when the transfer ends.
class ProgressLine {
public:
    explicit ProgressLine(std::FILE* out = stderr);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void show(std::int64_t done, std::int64_t total);
    void finish();

private:
    std::FILE* out_;
    std::chrono::steady_clock::time_point started_;
    bool open_ = false;
};

} // namespace launcher::cli
