#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace launcher {

// The interface texts of one language, indexed 0 to 100; entry 0 is the news
// page address. Filled by tConfigData::SetLanguageArray.
using LanguageTable = std::array<std::string, 101>;

// The process-wide table every screen text is read from.
LanguageTable& LanguageStrings();

// Entries added after the first packages were made. A package whose
// language section does not set one shows its English default.
inline constexpr std::size_t kFilesNotUpdatedPrefix = 26; // followed by a count
inline constexpr std::size_t kManifestDamaged = 27;
inline constexpr std::size_t kDiskProblemPrefix = 28; // followed by the path and the reason
inline constexpr std::size_t kReleaseNotSigned = 29;
inline constexpr std::size_t kReleaseOlder = 30;
inline constexpr std::size_t kReleaseExpired = 31;
inline constexpr std::size_t kReleaseOtherChannel = 32;
inline constexpr std::size_t kReleaseRecordDamaged = 33;

// Entry `index` of the table, or its English default when the entry is empty
// and it has one.
std::string LanguageText(const LanguageTable& table, std::size_t index);

} // namespace launcher
