#include "cli/progress_line.h"

namespace launcher::cli {
namespace {
constexpr double kMebibyte = 1024.0 * 1024.0;
}

ProgressLine::ProgressLine(std::FILE* out)
    : out_(out), started_(std::chrono::steady_clock::now()) {}

ProgressLine::~ProgressLine() {
    finish();
}

void ProgressLine::show(std::int64_t done, std::int64_t total) {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    const double percent =
        total > 0 ? 100.0 * static_cast<double>(done) / static_cast<double>(total) : 0.0;
    const double rate = seconds > 0 ? static_cast<double>(done) / kMebibyte / seconds : 0.0;
    // Trailing blanks wipe what a longer previous line left behind.
    std::fprintf(out_, "\r%5.1f%%  %.1f / %.1f MiB  %.1f MiB/s   ", percent,
                 static_cast<double>(done) / kMebibyte, static_cast<double>(total) / kMebibyte,
                 rate);
    std::fflush(out_);
    open_ = true;
}

void ProgressLine::finish() {
    if (!open_)
        return;
    std::fputc('\n', out_);
    std::fflush(out_);
    open_ = false;
}

} // namespace launcher::cli
