#include "update/kept_dates.h"

#include "archive/temporary_name.h"
#include "platform/file.h"
#include "platform/files.h"
#include "update/file_date_time.h"

#include <cmath>

namespace launcher {
namespace {

// 1 January 1980 to 31 December 2037: every file system the launcher meets
// holds these days as they are.
constexpr TDateTime kSafeFirst = 29221.0;
constexpr TDateTime kSafeLast = 50405.0;
constexpr int kAllTimes = 7;

} // namespace

KeptDates::KeptDates(std::filesystem::path probe_folder) : probe_folder_(std::move(probe_folder)) {}

bool KeptDates::Matches(TDateTime file_date, TDateTime catalogue_date) {
    if (file_date == catalogue_date)
        return true;
    if (std::isnan(catalogue_date) ||
        (catalogue_date >= kSafeFirst && catalogue_date < kSafeLast + 1.0))
        return false;
    // A date the file system refuses outright leaves the file at whatever
    // date it had, so the date cannot tell such a file apart: size decides.
    const std::optional<TDateTime> stored = kept(catalogue_date);
    return !stored || *stored == file_date;
}

std::optional<TDateTime> KeptDates::kept(TDateTime catalogue_date) {
    if (const auto known = known_.find(catalogue_date); known != known_.end())
        return known->second;
    // A probe that cannot be written tells nothing: the date then counts as
    // kept as it is.
    std::optional<TDateTime> stored = catalogue_date;
    const std::filesystem::path probe = TemporaryNameBeside(probe_folder_ / "date-probe");
    if (platform::write_file(probe, "")) {
        if (!(SetFileDateTime(probe, kAllTimes, catalogue_date) & 1))
            stored = std::nullopt;
        else if (const auto status = platform::file_status(probe))
            stored = local_date_time_from_file_time(status->modified);
    }
    platform::remove_file(probe);
    known_.emplace(catalogue_date, stored);
    return stored;
}

} // namespace launcher
