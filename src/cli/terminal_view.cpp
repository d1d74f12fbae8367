#include "cli/terminal_view.h"

#include "platform/text.h"

#include <algorithm>
#include <ostream>

namespace launcher::cli {

void TerminalView::finish_progress() {
    progress_.finish();
}

void TerminalView::SetStatus(std::string_view text) {
    if (text.empty() || text == last_status_)
        return;
    last_status_ = text;
    finish_progress();
    out_ << platform::printable(text) << "\n" << std::flush;
}

void TerminalView::SetTotalStatus(std::string_view text) {
    if (text.empty() || text == last_total_)
        return;
    last_total_ = text;
    finish_progress();
    out_ << platform::printable(text) << "\n" << std::flush;
}

void TerminalView::MsgShow(std::string_view text) {
    finish_progress();
    // A message of several lines (one refused server a line) stays readable.
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        err_ << "! " << platform::printable(text.substr(start, end - start)) << "\n";
        start = end + 1;
    }
    err_ << std::flush;
}

void TerminalView::DownloadProgress(std::string_view name, std::int64_t loaded, std::int64_t size) {
    out_ << std::flush;
    progress_.show(platform::printable(name), loaded, size);
}

} // namespace launcher::cli
