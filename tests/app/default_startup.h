#pragma once

#include "config/startup.h"

#include <cstdint>
#include <vector>

namespace launcher::app {

// Start-up on the built-in package, as the launcher executable carries it:
// the default skin and configuration, which a test may change before it
// builds its windows.
struct DefaultStartup {
    DefaultStartup();

    std::vector<std::uint8_t> package;
    StartupState state;
};

} // namespace launcher::app
