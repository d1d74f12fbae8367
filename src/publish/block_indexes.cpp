#include "publish/block_indexes.h"

#include "archive/rar4_writer.h"
#include "patch/block_index.h"
#include "patch/index_builder.h"
#include "platform/durable_file.h"
#include "platform/files.h"
#include "platform/text.h"
#include "publish/archive_member_mode.h"
#include "publish/release_staging.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace launcher::publish {
namespace {

std::filesystem::path index_path(const std::filesystem::path& out_dir, std::string_view name) {
    std::filesystem::path path = ArchivePath(out_dir, name);
    path += patch::kBlockIndexSuffix;
    return path;
}

bool serves_index_of(const std::filesystem::path& path, const TFileRecord& record,
                     bool executable) {
    if (platform::entry_kind(path) != platform::EntryKind::File)
        return false;
    try {
        const std::string bytes = platform::read_file_text(path);
        std::string why;
        const auto index = patch::ParseBlockIndex(
            {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, why);
        return index && index->archive_md5 == platform::to_lower_ascii(record.HashPacked) &&
               index->content_md5 == platform::to_lower_ascii(record.Hash) &&
               index->file_size == static_cast<std::uint64_t>(record.Size) &&
               index->executable == executable;
    } catch (const platform::FileError&) {
        return false;
    }
}

// The index of the record's archive, when the archive holds the file's bytes
// where a stored RAR archive of one member does: just before its end block.
std::optional<patch::BlockIndex> index_of(const std::filesystem::path& archive,
                                          const TFileRecord& record) {
    const auto status = platform::file_status(archive);
    const auto size = static_cast<std::uint64_t>(record.Size);
    const std::uint64_t tail = Rar4ArchiveEnd().size();
    if (!status || status->size < size + tail)
        return std::nullopt;
    // Only a RAR archive is read through: others never hold a stored member.
    const auto marker = Rar4ArchiveStart();
    std::vector<std::uint8_t> start(7);
    if (marker.size() < start.size() ||
        platform::File(archive, platform::File::Mode::Read)
                .read_at(0, start.data(), start.size()) != start.size() ||
        !std::equal(start.begin(), start.end(), marker.begin()))
        return std::nullopt;
    auto index = patch::BuildBlockIndex(
        {archive, status->size - tail - size, size, record.HashPacked, record.Hash});
    if (index)
        index->executable = ArchiveMemberExecutable(archive).value_or(false);
    return index;
}

void remove_index(const std::filesystem::path& path) {
    if (platform::entry_kind(path) == platform::EntryKind::File)
        platform::remove_file(path);
}

} // namespace

std::size_t UpdateBlockIndexes(const std::filesystem::path& out_dir, const TFileList& catalogue,
                               std::uint64_t from, const std::vector<std::string>& gone) {
    std::size_t written = 0;
    for (const std::string& name : gone)
        remove_index(index_path(out_dir, name));
    for (int id = 0; id < catalogue.Count(); ++id) {
        const TFileRecord& record = catalogue.GetItemByID(id)->Content;
        const auto path = index_path(out_dir, record.Name);
        if (from == 0 || record.Size < 0 || static_cast<std::uint64_t>(record.Size) < from) {
            remove_index(path);
            continue;
        }
        const auto archive = ArchivePath(out_dir, record.Name);
        if (serves_index_of(path, record, ArchiveMemberExecutable(archive).value_or(false)))
            continue;
        const auto index = index_of(archive, record);
        if (!index) {
            remove_index(path); // compressed, or not laid out as one stored member
            continue;
        }
        const std::string bytes = patch::BlockIndexBytes(*index);
        const auto staged = StagedPath(path);
        {
            platform::OutputFile file(staged);
            file.write({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
            file.close();
        }
        platform::rename_replace(staged, path);
        ++written;
    }
    return written;
}

} // namespace launcher::publish
