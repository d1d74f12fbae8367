#include "platform/glob_match.h"

namespace launcher::platform {

bool glob_match(std::string_view pattern, std::string_view text) {
    return match_glob_pattern(pattern, text);
}

} // namespace launcher::platform
