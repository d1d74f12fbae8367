#pragma once

#include <optional>
#include <string>

namespace launcher::platform {

// A variable of this process's environment (UTF-8), none when it is not set.
// Programs this process starts inherit the environment as it is then.
std::optional<std::string> environment_variable(const std::string& name);
void set_environment_variable(const std::string& name, const std::string& value);
void unset_environment_variable(const std::string& name);

} // namespace launcher::platform
