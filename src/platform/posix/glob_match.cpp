#include "platform/glob_match.h"

#include <fnmatch.h>
#include <string>

namespace launcher::platform {

bool glob_match(std::string_view pattern, std::string_view text) {
    const std::string terminated_pattern(pattern);
    const std::string terminated_text(text);
    return ::fnmatch(terminated_pattern.c_str(), terminated_text.c_str(), 0) == 0;
}

} // namespace launcher::platform
