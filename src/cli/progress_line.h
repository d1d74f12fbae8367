#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace launcher::cli {

// The progress of a transfer. On a terminal it is one line redrawn in place
// ("\r") with the name, bytes, speed and time left, closed with a newline
// when the transfer ends; elsewhere (a log, a pipe) each finished transfer
// gives one plain line.
class ProgressLine {
public:
    explicit ProgressLine(std::FILE* out = stderr);
    ProgressLine(std::FILE* out, bool interactive);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void show(std::int64_t done, std::int64_t total) { show({}, done, total); }
    // A new name starts a new transfer (the previous one is finished).
    void show(std::string_view name, std::int64_t done, std::int64_t total);
    void finish();

private:
    double seconds() const;

    std::FILE* out_;
    bool interactive_;
    std::string name_;
    std::chrono::steady_clock::time_point started_;
    std::int64_t done_ = 0;
    std::int64_t total_ = 0;
    bool open_ = false;
};

} // namespace launcher::cli
