#pragma once

#include <optional>
#include <string>

namespace launcher::testing {

// Central European time, with its daylight-saving rules, for one test.
// POSIX systems: the process's TZ is set to the rules written out (no
// time-zone database needed) and put back afterwards. Windows has one zone
// for the whole system and no way for a test to change it: `active()` says
// whether the system's zone is Central European (the wine runs start wine
// with TZ=Europe/Berlin, see scripts/lib/wine_run.sh).
class CentralEuropeanTime {
public:
    CentralEuropeanTime();
    ~CentralEuropeanTime();
    CentralEuropeanTime(const CentralEuropeanTime&) = delete;
    CentralEuropeanTime& operator=(const CentralEuropeanTime&) = delete;

    bool active() const { return active_; }

private:
    bool active_ = false;
    std::optional<std::string> old_;
};

} // namespace launcher::testing
