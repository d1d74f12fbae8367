#include "cli/terminal_view.h"

#include <ostream>

namespace launcher::cli {

void TerminalView::SetStatus(std::string_view text) {
    if (!text.empty())
        out_ << text << "\n" << std::flush;
}

void TerminalView::SetTotalStatus(std::string_view text) {
    if (!text.empty())
        out_ << text << "\n" << std::flush;
}

void TerminalView::MsgShow(std::string_view text) {
    err_ << "! " << text << "\n" << std::flush;
}

} // namespace launcher::cli
