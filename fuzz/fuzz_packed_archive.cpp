// Feeds bytes to the extraction of a game file from its packed archive: as
// they are (a served archive), or as the members of a stored RAR 4 archive
// our writer makes of them (names with folders, climbs and odd characters,
// members of any size). Whatever the archive, at most the listed file is
// written, under its own name, never larger than allowed, and nothing else
// stays behind.
#include "archive/rar4_writer.h"
#include "platform/file.h"
#include "platform/files.h"
#include "update/packed_files.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>

namespace {

const std::filesystem::path& scratch() {
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() /
                    ("fuzz_packed_archive." + launcher::platform::random_suffix());
        std::filesystem::create_directories(path / "out");
        return path;
    }();
    return folder;
}

// Members separated by 0xFF bytes: a name up to the first 0x00, then content.
void write_members(const std::filesystem::path& archive, std::span<const std::uint8_t> bytes) {
    launcher::Rar4StoreWriter writer(archive);
    while (!bytes.empty()) {
        std::size_t end = 0;
        while (end < bytes.size() && bytes[end] != 0xFF)
            ++end;
        const auto member = bytes.first(end);
        std::size_t name_end = 0;
        while (name_end < member.size() && member[name_end] != 0x00)
            ++name_end;
        const std::string name(member.begin(), member.begin() + name_end);
        const auto content = member.subspan(std::min(name_end + 1, member.size()));
        writer.add_bytes(name.empty() ? "g.bin" : name, content, 1700000000);
        bytes = bytes.subspan(std::min(end + 1, bytes.size()));
    }
    writer.finish();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::filesystem::path archive = scratch() / "pack.vdp";
    const std::filesystem::path out = scratch() / "out";
    const std::span<const std::uint8_t> rest(data + 2, size - 2);
    if (data[0] & 1) {
        launcher::platform::write_file_atomic(
            archive, std::string(reinterpret_cast<const char*>(rest.data()), rest.size()));
    } else {
        try {
            write_members(archive, rest);
        } catch (const std::exception&) {
            return 0; // a name our writer does not take
        }
    }
    launcher::ExpectedFile expected;
    expected.file_name = "g.bin";
    if (data[1] & 1)
        expected.size = data[1] >> 1; // a small listed size; otherwise the bound applies
    const launcher::TRARExtractResult result =
        launcher::UnpackArchive(archive, out, scratch(), expected);

    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(out)) {
        ++files;
        if (entry.path().filename() != "g.bin" || !result.MemberPlaced)
            std::abort(); // only the listed file, and only when it was placed
        if (expected.size &&
            std::filesystem::file_size(entry.path()) > static_cast<std::uintmax_t>(*expected.size))
            std::abort();
    }
    if (result.MemberPlaced != (files == 1))
        std::abort();
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
    return 0;
}
