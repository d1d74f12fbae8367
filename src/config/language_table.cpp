#include "config/language_table.h"

namespace launcher {

LanguageTable& LanguageStrings() {
    static LanguageTable table;
    return table;
}

std::string LanguageText(const LanguageTable& table, LanguageEntry entry) {
    const std::string& text = table.at(static_cast<std::size_t>(entry));
    if (!text.empty())
        return text;
    using enum LanguageEntry;
    switch (entry) {
    case FilesNotUpdatedPrefix:
        return "Files that could not be updated: ";
    case ManifestDamaged:
        return "The file list from the update server is damaged";
    case DiskProblemPrefix:
        return "Cannot write to the game folder: ";
    case ReleaseNotSigned:
        return "The update was refused: it is not signed by the publisher";
    case ReleaseOlder:
        return "The update was refused: it is older than the installed release";
    case ReleaseExpired:
        return "The update was refused: the release has expired";
    case FolderBusy:
        return "The launcher is already updating this folder";
    case ReleaseOtherChannel:
        return "The update was refused: it is a release for another channel";
    case ReleaseRecordDamaged:
        return "The update was refused: updater\\Release.lst, the record of installed "
               "releases, is damaged";
    case ReleaseRefusedByPrefix:
        return "Refused the release of ";
    default:
        return text;
    }
}

std::string text_of(LanguageEntry entry) {
    return LanguageText(LanguageStrings(), entry);
}

} // namespace launcher
