#include "update/published_game.h"

#include "archive/rar4_writer.h"
#include "catalogue/catalogue_line.h"
#include "catalogue/md5.h"
#include "config/config_package.h"
#include "platform/files.h"
#include "platform/text.h"

#include <span>

namespace launcher::testing {
namespace {

std::span<const std::uint8_t> bytes_of(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

} // namespace

std::string PackManifest(std::string_view text) {
    const platform::Bytes packed = EncodeBZip2(bytes_of(text));
    std::string result(packed.begin(), packed.end());
    for (std::size_t i = 0; i < 5 && i < result.size(); ++i)
        result[i] = static_cast<char>(0xA5 ^ i);
    return result;
}

std::string Md5Of(std::string_view bytes) {
    TMD5 md5;
    md5.Add(bytes.data(), bytes.size());
    return md5.DigestStr();
}

std::vector<TFileRecord> PublishRelease(const Release& release,
                                        const std::filesystem::path& folder) {
    std::vector<TFileRecord> records;
    std::vector<std::string> lines;
    for (const GameFile& file : release.files) {
        const std::filesystem::path archive = platform::native_path(folder, file.name + ".vdp");
        std::filesystem::create_directories(archive.parent_path());
        {
            Rar4StoreWriter writer(archive);
            writer.add_bytes(file.name.substr(1), bytes_of(file.content), 1'600'000'000);
            writer.finish();
        }
        TFileRecord record;
        record.Name = file.name;
        record.Hash = Md5Of(file.content);
        record.HashPacked = MD5File(archive);
        record.Size = static_cast<std::int64_t>(file.content.size());
        record.Date = file.date;
        lines.push_back(FormatCatalogueLine(record));
        records.push_back(record);
    }
    for (const std::string& line : release.extra_catalogue_lines)
        lines.push_back(line);
    if (!release.check_section.empty() || release.removal_section) {
        lines.push_back("#");
        lines.insert(lines.end(), release.check_section.begin(), release.check_section.end());
        if (release.removal_section) {
            lines.push_back("@");
            lines.insert(lines.end(), release.removal_section->begin(),
                         release.removal_section->end());
        }
    }
    const std::string text = platform::join_crlf(lines);
    platform::write_file_atomic(folder / "updater.lst", text);
    platform::write_file_atomic(folder / "updater.lst.vdp", PackManifest(text));
    return records;
}

void ServeFolder(FaultServer& server, const std::filesystem::path& folder) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file())
            continue;
        const std::string relative = entry.path().lexically_relative(folder).generic_string();
        server.serve("/" + relative, Resource{platform::read_file_text(entry.path())});
    }
    server.serve("//updater.lst.vdp",
                 Resource{platform::read_file_text(folder / "updater.lst.vdp")});
}

} // namespace launcher::testing
