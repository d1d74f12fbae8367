#include "support/memory_access.h"

#include <fstream>
#include <sstream>

namespace launcher::testing {

std::string mapping_access(std::uintptr_t address) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        std::istringstream fields(line);
        std::uintptr_t start = 0;
        std::uintptr_t end = 0;
        char dash = 0;
        std::string access;
        fields >> std::hex >> start >> dash >> end >> access;
        if (address >= start && address < end)
            return access;
    }
    return "";
}

} // namespace launcher::testing
