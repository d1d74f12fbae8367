#pragma once

#include <array>
#include <string>

namespace launcher {

// The interface texts of one language, indexed 0 to 100; entry 0 is the news
// page address. Filled by tConfigData::SetLanguageArray.
using LanguageTable = std::array<std::string, 101>;

// The process-wide table every screen text is read from.
LanguageTable& LanguageStrings();

} // namespace launcher
