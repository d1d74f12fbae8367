#pragma once

#include "update/launcher_view.h"

#include <iosfwd>

namespace launcher::cli {

// The main window's texts as terminal lines: status lines on standard
// output, messages of the message panel on standard error.
class TerminalView final : public LauncherView {
public:
    TerminalView(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    void SetStatus(std::string_view text) override;
    void SetTotalStatus(std::string_view text) override;
    void MsgShow(std::string_view text) override;

private:
    std::ostream& out_;
    std::ostream& err_;
};

} // namespace launcher::cli
