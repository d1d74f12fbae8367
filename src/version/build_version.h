#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace launcher {

// The project's version, "0.1.0".
std::string_view ProjectVersion();

// The commit the build was configured at ("0b4ae69c1d2e", with "-dirty"
// for changed sources); empty when the sources were no git checkout.
std::string_view BuildCommit();

// The project version with its commit: "0.1.0 (0b4ae69c1d2e)". Every
// program carries this text after a fixed mark among its bytes, so a
// program file can be asked which build it is without running it.
std::string_view BuildVersion();

// The build version carried by a program file's bytes, if it has one.
std::optional<std::string> FindBuildVersion(std::string_view program_bytes);

} // namespace launcher
