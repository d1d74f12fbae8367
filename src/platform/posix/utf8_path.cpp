#include "platform/utf8_path.h"

namespace launcher::platform {

// POSIX paths are bytes, and the launcher's bytes are UTF-8 already.
std::filesystem::path path_from_utf8(std::string_view text) {
    return std::filesystem::path(std::string(text));
}

std::string utf8_of(const std::filesystem::path& path) {
    return path.native();
}

std::string generic_utf8_of(const std::filesystem::path& path) {
    return path.generic_string();
}

} // namespace launcher::platform
