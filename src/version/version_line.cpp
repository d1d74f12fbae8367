#include "version/version_line.h"

#include "version/build_version.h"

#include <sodium.h>

#include <archive.h>
#include <bzlib.h>
#include <curl/curl.h>

namespace launcher {
namespace {

// "libarchive 3.6.2" -> "3.6.2"; "1.0.8, 13-Jul-2019" -> "1.0.8".
std::string version_word(std::string_view text) {
    if (const auto space = text.rfind(' '); text.starts_with("lib") && space != text.npos)
        text.remove_prefix(space + 1);
    return std::string(text.substr(0, text.find(',')));
}

} // namespace

std::vector<LibraryVersion> CoreLibraryVersions() {
    return {
        {"libcurl", curl_version_info(CURLVERSION_NOW)->version},
        {"libarchive", version_word(archive_version_string())},
        {"libsodium", sodium_version_string()},
        {"bzip2", version_word(BZ2_bzlibVersion())},
    };
}

std::string VersionLine(std::string_view program, const std::vector<LibraryVersion>& more) {
    std::string line = std::string(program) + " " + std::string(BuildVersion());
    std::vector<LibraryVersion> libraries = CoreLibraryVersions();
    libraries.insert(libraries.end(), more.begin(), more.end());
    for (const auto& [name, version] : libraries)
        line += " " + name + "/" + version;
    return line;
}

} // namespace launcher
