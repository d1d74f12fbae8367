#include "cli/progress_line.h"

#include "platform/terminal.h"

namespace launcher::cli {
namespace {
constexpr double kMebibyte = 1024.0 * 1024.0;

std::string clock_text(double seconds) {
    const long whole = static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

} // namespace

ProgressLine::ProgressLine(std::FILE* out) : ProgressLine(out, platform::is_terminal(out)) {}

ProgressLine::ProgressLine(std::FILE* out, bool interactive)
    : out_(out), interactive_(interactive), started_(std::chrono::steady_clock::now()) {}

ProgressLine::~ProgressLine() {
    finish();
}

double ProgressLine::seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
}

void ProgressLine::show(std::string_view name, std::int64_t done, std::int64_t total) {
    if (open_ && name != name_)
        finish();
    if (!open_) {
        name_ = name;
        started_ = std::chrono::steady_clock::now();
        open_ = true;
    }
    done_ = done;
    total_ = total;
    if (!interactive_)
        return;
    const double elapsed = seconds();
    const double percent =
        total > 0 ? 100.0 * static_cast<double>(done) / static_cast<double>(total) : 0.0;
    const double rate = elapsed > 0 ? static_cast<double>(done) / elapsed : 0.0;
    const std::string left =
        rate > 0 && total >= done ? clock_text(static_cast<double>(total - done) / rate) : "-:--";
    // Trailing blanks wipe what a longer previous line left behind.
    std::fprintf(out_, "\r%s%s%5.1f%%  %.1f / %.1f MiB  %.1f MiB/s  ETA %s   ", name_.c_str(),
                 name_.empty() ? "" : "  ", percent, static_cast<double>(done) / kMebibyte,
                 static_cast<double>(total) / kMebibyte, rate / kMebibyte, left.c_str());
    std::fflush(out_);
}

void ProgressLine::finish() {
    if (!open_)
        return;
    if (interactive_) {
        std::fputc('\n', out_);
    } else {
        const double elapsed = seconds();
        const double rate = elapsed > 0 ? static_cast<double>(done_) / kMebibyte / elapsed : 0.0;
        std::fprintf(out_, "%s%s%.1f / %.1f MiB in %.1f s (%.1f MiB/s)\n", name_.c_str(),
                     name_.empty() ? "" : "  ", static_cast<double>(done_) / kMebibyte,
                     static_cast<double>(total_) / kMebibyte, elapsed, rate);
    }
    std::fflush(out_);
    open_ = false;
}

} // namespace launcher::cli
