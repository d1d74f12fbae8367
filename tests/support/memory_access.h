#pragma once

#include <cstdint>
#include <string>

namespace launcher::testing {

// The access of the memory page holding `address` as the system sees it, in
// the form "r-xp" (read, write, execute, private); empty when unknown. From
// /proc/self/maps on Linux, VirtualQuery on Windows.
std::string mapping_access(std::uintptr_t address);

} // namespace launcher::testing
