#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace launcher::platform {

// One argument as Windows programs read their command line back
// (CommandLineToArgvW and the C run-time's rules): quoted when it holds a
// blank, a tab or a quote or is empty, inner quotes escaped with a
// backslash, and backslashes doubled only where they stand before a quote.
std::string quote_windows_argument(std::string_view argument);

// The arguments quoted one by one and joined by spaces.
std::string windows_command_line(const std::vector<std::string>& arguments);

} // namespace launcher::platform
