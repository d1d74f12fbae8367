#pragma once

#include <string>
#include <vector>

namespace launcher {

// The mistakes in a configuration text (its lines as the parser reads them),
// one line per warning: unknown sections, unknown keys (with the known key
// they most likely meant), known keys in the wrong section, lines without
// "=", lines before any section, and release keys or a channel that do not
// read. Lines that begin with ';' are comments. The parser ignores every
// such line; these say so.
std::vector<std::string> ConfigTextWarnings(const std::vector<std::string>& lines);

} // namespace launcher
