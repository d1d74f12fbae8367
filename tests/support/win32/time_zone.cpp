#include "support/time_zone.h"

#include <windows.h>

namespace launcher::testing {

CentralEuropeanTime::CentralEuropeanTime() {
    DYNAMIC_TIME_ZONE_INFORMATION zone{};
    if (::GetDynamicTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID)
        return;
    // One hour east of Greenwich, an hour more from the last Sunday of March.
    active_ = zone.Bias == -60 && zone.DaylightBias == -60 && zone.DaylightDate.wMonth == 3 &&
              zone.StandardDate.wMonth == 10;
}

CentralEuropeanTime::~CentralEuropeanTime() = default;

} // namespace launcher::testing
