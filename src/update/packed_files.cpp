#include "update/packed_files.h"

#include "archive/rar_archive.h"
#include "config/config_package.h"
#include "platform/file.h"
#include "platform/files.h"
#include "platform/memory_stream.h"
#include "platform/utf8_path.h"

namespace launcher {
namespace {

constexpr std::uint8_t kRestoredHeader[5] = {0x42, 0x5A, 0x68, 0x39, 0x31}; // "BZh91"

} // namespace

void UnpackFile(const std::filesystem::path& packed, const std::filesystem::path& target) {
    if (platform::entry_kind(packed) == platform::EntryKind::None)
        return;
    {
        platform::File file = platform::File::open_read_write(packed);
        file.write_at(0, kRestoredHeader, sizeof kRestoredHeader);
    }
    platform::Bytes bytes = platform::read_file(packed);

    platform::File output = platform::File::create_new(target);
    platform::MemoryStream stream(std::move(bytes));
    platform::MemoryStream decoded;
    try {
        // A manifest cut short (an interrupted fetch) must not pass for a
        // smaller release: its missing lines would go unnoticed.
        if (!DecodeBZip2Stream(stream, decoded))
            throw ConfigPackageError("The packed manifest " + platform::utf8_of(packed) +
                                     " ends early");
    } catch (...) {
        output.write(decoded.bytes().data(), decoded.bytes().size()); // decoded before the error
        throw;
    }
    output.write(decoded.bytes().data(), decoded.bytes().size());
}

TRARExtractResult UnpackArchive(const std::filesystem::path& archive,
                                const std::filesystem::path& folder,
                                const std::filesystem::path& base_folder,
                                const ExpectedFile& expected) {
    if (platform::entry_kind(archive) != platform::EntryKind::File) {
        TRARExtractResult missing;
        missing.Failure = "nothing was fetched";
        return missing;
    }
    TRAR& reader = SharedRAR();
    if (!expected.file_name.empty())
        reader.MemberCheck = TRARMemberCheck{expected.file_name, expected.hash, expected.size,
                                             expected.keep_staged, expected.sync};
    const std::filesystem::path destination = folder.is_absolute() ? folder : base_folder / folder;
    TRARExtractResult result;
    // With a game file to verify, extraction itself finds a damaged archive
    // and the listing pass is spared; without one, an archive that does not
    // list whole extracts nothing.
    if (expected.file_name.empty() && !reader.OpenFile(archive)) {
        result.Failure = "the fetched file is not a readable archive";
    } else {
        if (!expected.file_name.empty())
            reader.SetArchive(archive);
        reader.Extract(destination, false, nullptr);
        result = reader.LastExtract();
        if (!result.MemberFound && !result.Failure.empty())
            result.Failure = "the fetched file is not a readable archive (" + result.Failure + ")";
    }
    reader.MemberCheck.reset();
    return result;
}

} // namespace launcher
