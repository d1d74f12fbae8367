#pragma once

#include <cstdio>

namespace launcher::platform {

// Whether the stream writes to a terminal (a console on Windows), where a
// progress line may be redrawn in place.
bool is_terminal(std::FILE* stream);

} // namespace launcher::platform
