#include "support/memory_access.h"

#include <windows.h>

namespace launcher::testing {

std::string mapping_access(std::uintptr_t address) {
    MEMORY_BASIC_INFORMATION info{};
    if (::VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof info) == 0)
        return "";
    switch (info.Protect & 0xFF) {
    case PAGE_NOACCESS:
        return "---p";
    case PAGE_READONLY:
        return "r--p";
    case PAGE_READWRITE:
    case PAGE_WRITECOPY:
        return "rw-p";
    case PAGE_EXECUTE:
        return "--xp";
    case PAGE_EXECUTE_READ:
        return "r-xp";
    case PAGE_EXECUTE_READWRITE:
    case PAGE_EXECUTE_WRITECOPY:
        return "rwxp";
    default:
        return "";
    }
}

} // namespace launcher::testing
