#include "app_win32/win32_region.h"

#include <vector>

namespace launcher::app {

HRGN ToHrgn(const Region& region) {
    const std::vector<std::uint8_t> data = RgnDataFromRegion(region);
    return ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()),
                             reinterpret_cast<const RGNDATA*>(data.data()));
}

} // namespace launcher::app
