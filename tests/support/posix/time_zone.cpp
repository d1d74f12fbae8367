#include "support/time_zone.h"

#include <cstdlib>
#include <ctime>

namespace launcher::testing {

CentralEuropeanTime::CentralEuropeanTime() {
    if (const char* old = std::getenv("TZ"))
        old_ = old;
    active_ = ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1) == 0;
    ::tzset();
}

CentralEuropeanTime::~CentralEuropeanTime() {
    if (old_)
        ::setenv("TZ", old_->c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

} // namespace launcher::testing
