#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace launcher::publish {

// A game file's name as the manifest writes it ("\system\jux.exe"), or a
// PublishError saying why the name cannot reach a player intact.
std::string ManifestName(const std::filesystem::path& relative);

// Why a manifest name ("\system\jux.ini") cannot reach a player intact, or
// an empty text when it can: it must stay inside the game folder, be UTF-8
// without control characters or "|", hold no part that a Windows player
// cannot store as it is (a blank at either end, a dot at the end, the
// characters < > : " / ? *, a device name such as "con"), and keep clear of
// the launcher's own files ("\updater.lst", whose archive would be the packed
// manifest, and the folder "\updater").
std::string ManifestNameProblem(std::string_view name);

// A name given for the manifest's check or removal section,
// "\system\jux.ini" or "system/jux.ini", in manifest form. These name files
// on players' systems rather than served archives, so only names that leave
// the game folder or cannot be written in the manifest are refused
// (PublishError).
std::string SectionName(std::string_view given);

// A game file as the clash check sees it: its manifest name and the name
// the publisher knows it by, used in the messages.
struct NamedFile {
    std::string name;
    std::string shown;
};

// Names that the catalogue cannot tell apart (they differ only in letter
// case, so a player would keep one of them), and a file whose archive would
// take the place of a folder of other archives ("\data" beside
// "\data.vdp\x"): one message per offending file.
std::vector<std::string> NameClashes(const std::vector<NamedFile>& files);

} // namespace launcher::publish
