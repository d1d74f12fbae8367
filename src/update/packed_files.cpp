#include "update/packed_files.h"

#include "archive/rar_archive.h"
#include "config/config_package.h"
#include "platform/file.h"
#include "platform/files.h"
#include "platform/memory_stream.h"
#include "platform/text.h"
#include "platform/utf8_path.h"

#include <algorithm>
#include <string_view>

namespace launcher {
namespace {

constexpr std::uint8_t kRestoredHeader[5] = {0x42, 0x5A, 0x68, 0x39, 0x31}; // "BZh91"

// A member the file list gives no size for may be at most this many times
// as large as its archive (plus a little for tiny archives): more than the
// formats' compression reaches on game files, and far less than a crafted
// archive claims.
constexpr std::uint64_t kInflationAtMost = 2048;
constexpr std::uint64_t kInflationSlack = std::uint64_t{1} << 20;

// Whether the text has a catalogue line: a line that is not blank before
// the first line that begins a section ("#"), or the end.
bool names_a_file(std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string line = platform::trim(text.substr(0, end));
        if (!line.empty())
            return line.front() != '#';
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return false;
}

} // namespace

DecodedManifest DecodePackedManifest(platform::Bytes packed) {
    std::copy_n(kRestoredHeader, std::min(sizeof kRestoredHeader, packed.size()), packed.begin());
    platform::MemoryStream stream(std::move(packed));
    platform::MemoryStream decoded;
    DecodedManifest result;
    try {
        // A manifest cut short (an interrupted fetch) must not pass for a
        // smaller release: its missing lines would go unnoticed.
        if (!DecodeBZip2Stream(stream, decoded, kManifestAtMost))
            result.failure = "The packed manifest ends early";
    } catch (const ConfigPackageError& error) {
        result.failure = std::string("The packed manifest does not unpack: ") + error.what();
    }
    result.text = decoded.release();
    if (result.failure.empty() && !names_a_file(platform::decode_text(result.text)))
        result.failure = "The file list names no files";
    return result;
}

void UnpackFile(const std::filesystem::path& packed, const std::filesystem::path& target) {
    if (platform::entry_kind(packed) == platform::EntryKind::None)
        return;
    {
        platform::File file = platform::File::open_read_write(packed);
        file.write_at(0, kRestoredHeader, sizeof kRestoredHeader);
    }
    const DecodedManifest manifest = DecodePackedManifest(platform::read_file(packed));
    platform::File output = platform::File::create_new(target);
    output.write(manifest.text.data(), manifest.text.size()); // decoded before any error
    if (!manifest.failure.empty())
        throw ConfigPackageError(manifest.failure + " (" + platform::utf8_of(packed) + ")");
}

TRARExtractResult UnpackArchive(const std::filesystem::path& archive,
                                const std::filesystem::path& folder,
                                const std::filesystem::path& base_folder,
                                const ExpectedFile& expected) {
    TRARExtractResult result;
    if (platform::entry_kind(archive) != platform::EntryKind::File) {
        result.Failure = "nothing was fetched";
        return result;
    }
    if (expected.file_name.empty()) {
        result.Failure = "no member was named to extract";
        return result;
    }
    std::optional<std::int64_t> bound = expected.size;
    if (!bound) {
        const auto status = platform::file_status(archive);
        const std::uint64_t archive_size = status ? status->size : 0;
        bound = static_cast<std::int64_t>(
            std::min<std::uint64_t>(archive_size, std::uint64_t{1} << 40) * kInflationAtMost +
            kInflationSlack);
    }
    TRAR& reader = SharedRAR();
    reader.MemberCheck = TRARMemberCheck{expected.file_name, expected.hash, bound,
                                         expected.keep_staged, expected.sync};
    const std::filesystem::path destination = folder.is_absolute() ? folder : base_folder / folder;
    // Extraction itself finds a damaged archive: no listing pass first.
    reader.SetArchive(archive);
    reader.Extract(destination, false, nullptr);
    result = reader.LastExtract();
    if (!result.MemberFound && !result.Failure.empty())
        result.Failure = "the fetched file is not a readable archive (" + result.Failure + ")";
    reader.MemberCheck.reset();
    return result;
}

} // namespace launcher
