#include "platform/system_code_page.h"

namespace launcher::platform {

std::string decode_system_code_page(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::string encode_system_code_page(std::string_view utf8) {
    return std::string(utf8);
}

} // namespace launcher::platform
