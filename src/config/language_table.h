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
// read by nothing. Entries from 26 on were added after the first packages
// were made: a package whose language section does not set one shows its
// English default (LanguageText).
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
    FilesNotUpdatedPrefix = 26, // followed by a count
    ManifestDamaged = 27,
    DiskProblemPrefix = 28, // followed by the path and the reason
    ReleaseNotSigned = 29,
    ReleaseOlder = 30,
    ReleaseExpired = 31,
    // Another run of the launcher holds the game folder: this one changes nothing.
    FolderBusy = 32,
    ReleaseOtherChannel = 33,
    ReleaseRecordDamaged = 34,
    ReleaseRefusedByPrefix = 35, // followed by the server and the reason
};

// Entry `entry` of the table, or its English default when the entry is empty
// and it has one.
std::string LanguageText(const LanguageTable& table, LanguageEntry entry);

// Entry `entry` of the table in force now (LanguageStrings), as LanguageText
// gives it.
std::string text_of(LanguageEntry entry);

} // namespace launcher
