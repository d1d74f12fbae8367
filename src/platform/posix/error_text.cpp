#include "platform/error_text.h"

namespace launcher::platform {

std::string error_text(const std::error_code& error) {
    return error.message();
}

} // namespace launcher::platform
