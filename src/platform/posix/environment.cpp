#include "platform/environment.h"

#include <cstdlib>

namespace launcher::platform {

std::optional<std::string> environment_variable(const std::string& name) {
    if (const char* value = std::getenv(name.c_str()))
        return std::string(value);
    return std::nullopt;
}

void set_environment_variable(const std::string& name, const std::string& value) {
    ::setenv(name.c_str(), value.c_str(), 1);
}

void unset_environment_variable(const std::string& name) {
    ::unsetenv(name.c_str());
}

} // namespace launcher::platform
