#include "publish/previous_release.h"

#include "catalogue/catalogue_line.h"
#include "config/config_package.h"
#include "platform/files.h"
#include "platform/memory_stream.h"
#include "platform/text.h"
#include "publish/gone_archives.h"
#include "publish/release_publisher.h"
#include "publish/release_staging.h"

#include <algorithm>
#include <optional>

namespace launcher::publish {
namespace {

std::optional<std::string> read_text(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    try {
        return platform::decode_text(platform::read_file_text(path));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The manifest text of a packed manifest, read as a player's launcher reads
// it: the first five bytes restored to "BZh91", then decoded to its end.
std::optional<std::string> read_packed(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    try {
        platform::Bytes bytes = platform::read_file(path);
        if (bytes.size() < 5)
            return std::nullopt;
        std::copy_n("BZh91", 5, bytes.begin());
        platform::MemoryStream packed(std::move(bytes));
        platform::MemoryStream text;
        if (!DecodeBZip2Stream(packed, text))
            return std::nullopt;
        return platform::decode_text(text.bytes());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The lines before the first that begins with "#".
std::vector<std::string> catalogue_lines(const std::string& text) {
    std::vector<std::string> lines;
    for (auto& line : platform::split_lines(text)) {
        if (platform::trim(line).starts_with("#"))
            break;
        lines.push_back(std::move(line));
    }
    return lines;
}

void add_names(const std::vector<std::string>& lines, std::vector<std::string>& names) {
    const auto format = LocaleDateTimeFormat::user_default();
    for (const auto& line : lines) {
        try {
            names.push_back(ParseCatalogueLine(line, format).Name);
        } catch (const std::exception&) {
            // A line cut short by a kill names no archive worth looking for.
        }
    }
}

} // namespace

PreviousRelease ReadPreviousRelease(const std::filesystem::path& out_dir) {
    PreviousRelease previous;
    if (const auto served = read_packed(out_dir / kPackedManifestName)) {
        const auto lines = catalogue_lines(*served);
        try {
            previous.served.LoadFromStrings(lines);
        } catch (const std::exception&) {
            previous.served.Clear(); // nothing of it is trusted
        }
        add_names(lines, previous.names);
    }
    if (const auto plain = read_text(out_dir / kManifestName))
        add_names(catalogue_lines(*plain), previous.names);

    const auto staged_text = read_text(StagedPath(out_dir / kManifestName));
    const auto staged_packed = read_packed(StagedPath(out_dir / kPackedManifestName));
    std::error_code error;
    previous.interrupted =
        std::filesystem::exists(StagedPath(out_dir / kManifestName), error) ||
        std::filesystem::exists(StagedPath(out_dir / kPackedManifestName), error);
    if (staged_text)
        add_names(catalogue_lines(*staged_text), previous.names);
    if (staged_packed)
        add_names(catalogue_lines(*staged_packed), previous.names);
    const auto gone = ReadGoneList(out_dir);
    previous.names.insert(previous.names.end(), gone.begin(), gone.end());
    return previous;
}

} // namespace launcher::publish
