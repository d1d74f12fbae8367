#include "config/language_table.h"

namespace launcher {

LanguageTable& LanguageStrings() {
    static LanguageTable table;
    return table;
}

std::string LanguageText(const LanguageTable& table, std::size_t index) {
    const std::string& text = table.at(index);
    if (!text.empty())
        return text;
    switch (index) {
    case kFilesNotUpdatedPrefix:
        return "Files that could not be updated: ";
    case kManifestDamaged:
        return "The file list from the update server is damaged";
    case kDiskProblemPrefix:
        return "Cannot write to the game folder: ";
    case kReleaseNotSigned:
        return "The update was refused: it is not signed by the publisher";
    case kReleaseOlder:
        return "The update was refused: it is older than the installed release";
    case kReleaseExpired:
        return "The update was refused: the release has expired";
    case kFolderBusy:
        return "The launcher is already updating this folder";
    case kReleaseOtherChannel:
        return "The update was refused: it is a release for another channel";
    case kReleaseRecordDamaged:
        return "The update was refused: updater\\Release.lst, the record of installed "
               "releases, is damaged";
    default:
        return text;
    }
}

std::string LanguageText(const LanguageTable& table, LanguageEntry entry) {
    return LanguageText(table, static_cast<std::size_t>(entry));
}

std::string text_of(LanguageEntry entry) {
    return LanguageText(LanguageStrings(), entry);
}

} // namespace launcher
