#pragma once

#include <string>

namespace launcher::testing {

// Names the cases of a parameterized test by their position in the table, so
// the names stay stable whatever the parameters print as.
inline constexpr auto NumberedCase = [](const auto& info) {
    return "case" + std::to_string(info.index);
};

} // namespace launcher::testing
