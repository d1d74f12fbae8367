#pragma once

#include "catalogue/file_record.h"
#include "support/fault_server.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace launcher::testing {

// A date inside daylight-saving time in most zones that have it (15 July 2023, 10:30).
inline constexpr TDateTime kSummerDate = 45122.4375;

struct GameFile {
    std::string name; // "\system\jux.ini"
    std::string content;
    TDateTime date = kSummerDate;
};

// What a publisher releases: the game files, the manifest's check section
// and, when given, its removal section (after an "@" line).
struct Release {
    std::vector<GameFile> files;
    std::vector<std::string> check_section{};
    std::optional<std::vector<std::string>> removal_section{};
    std::vector<std::string> extra_catalogue_lines{}; // written as they are, after the files
};

// The bytes of a packed manifest: bzip2 of `text` with its first five bytes
// overwritten, as the update server holds it.
std::string PackManifest(std::string_view text);

// The MD5 text of some bytes.
std::string Md5Of(std::string_view bytes);

// Writes the update-server tree of `release` into `folder`: a stored RAR
// archive per file at its name + ".vdp", "updater.lst" and
// "updater.lst.vdp". Returns the catalogue records in release order.
std::vector<TFileRecord> PublishRelease(const Release& release,
                                        const std::filesystem::path& folder);

// Serves every file below `folder` at "/" + its relative path, and the
// packed manifest also at "//updater.lst.vdp" (where a base address ending
// in "/" probes it).
void ServeFolder(FaultServer& server, const std::filesystem::path& folder);

} // namespace launcher::testing
