#include "platform/executable_bit.h"

namespace launcher::platform {

// Windows runs a file by its name's extension; files carry no execute bit.

bool is_executable(const std::filesystem::path&) {
    return false;
}

void set_executable(const std::filesystem::path&) {}

} // namespace launcher::platform
