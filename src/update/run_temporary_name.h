#pragma once

#include <random>
#include <string>
#include <string_view>

namespace launcher {

// `name` ("$tmp.vdp") with a run's tag before its extension ("$tmp.k3x9qa.vdp").
std::string RunTemporaryName(std::string_view name, std::string_view tag);
// Six random letters and digits for RunTemporaryName.
std::string RunTag(std::mt19937& random);
// True for "$tmp.vdp" and "$tmp.sig", as earlier versions named them, and for
// the tagged names RunTemporaryName makes of them.
bool IsRunTemporaryName(std::string_view file_name);

} // namespace launcher
