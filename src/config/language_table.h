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

// The table's entries by what they say. Entries 10, 11, 16, 17 and 19 are
// read by nothing.
enum class LanguageEntry : std::size_t {
    NewsAddress = 0,
    UnpackingPrefix = 1, // followed by a file name
    CheckingPrefix = 2,  // followed by a file name
    NothingToUpdate = 3,
    UpdatingPrefix = 4, // followed by a file name
    UpdateFinished = 5,
    FullCheckFinished = 6,
    FetchingManifest = 7,
    CheckAllFilesHint = 8,
    StartGameHint = 9,
    SettingsTitle = 12,
    LanguageCaption = 13,
    AutoCloseCaption = 14,
    NoUpdateServer = 15,
    NoGameProxy = 18,
    ProxyCaption = 20,
    ChosenProxyUnavailable = 21,
    DriveTypeCaption = 22,
    CheckModeCaption = 23,
    TotalPrefix = 24, // followed by a percentage
    LanguageBoxDescription = 25,
    FilesNotUpdatedPrefix = 26,
    ManifestDamaged = 27,
    DiskProblemPrefix = 28,
    ReleaseNotSigned = 29,
    ReleaseOlder = 30,
    ReleaseExpired = 31,
};

// Entries added after the first packages were made. A package whose
// language section does not set one shows its English default.
inline constexpr std::size_t kFilesNotUpdatedPrefix = 26; // followed by a count
inline constexpr std::size_t kManifestDamaged = 27;
inline constexpr std::size_t kDiskProblemPrefix = 28; // followed by the path and the reason
inline constexpr std::size_t kReleaseNotSigned = 29;
inline constexpr std::size_t kReleaseOlder = 30;
inline constexpr std::size_t kReleaseExpired = 31;
// Another run of the launcher holds the game folder: this one changes nothing.
inline constexpr std::size_t kFolderBusy = 32;
inline constexpr std::size_t kReleaseOtherChannel = 33;
inline constexpr std::size_t kReleaseRecordDamaged = 34;

// Entry `index` of the table, or its English default when the entry is empty
// and it has one.
std::string LanguageText(const LanguageTable& table, std::size_t index);
std::string LanguageText(const LanguageTable& table, LanguageEntry entry);

// Entry `entry` of the table in force now (LanguageStrings), as LanguageText
// gives it.
std::string text_of(LanguageEntry entry);

} // namespace launcher
