#pragma once

#include "catalogue/date_time.h"

#include <filesystem>
#include <map>
#include <optional>

namespace launcher {

// Catalogue dates as the file system keeps them. A date it cannot hold (a
// day in 1899 on a file system that starts in 1901, the year 9999 on one
// that ends in 2446, a day count past the calendar) is kept as some other
// time; a file dated that way is up to date although the two dates differ.
// Which time is kept is found once per date by dating a probe file in the
// given folder, for dates outside the years every file system holds.
class KeptDates {
public:
    explicit KeptDates(std::filesystem::path probe_folder);

    // True when a file dated `file_date` carries `catalogue_date`, or when
    // the file system refuses `catalogue_date` outright.
    bool Matches(TDateTime file_date, TDateTime catalogue_date);

private:
    // The date a file set to `catalogue_date` shows; none when refused.
    std::optional<TDateTime> kept(TDateTime catalogue_date);

    std::filesystem::path probe_folder_;
    std::map<TDateTime, std::optional<TDateTime>> known_;
};

} // namespace launcher
