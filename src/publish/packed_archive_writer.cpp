#include "publish/packed_archive_writer.h"

#include "archive/rar4_writer.h"
#include "platform/archive_names.h"
#include "platform/files.h"
#include "platform/utf8_path.h"

#include <stdexcept>
#include <vector>

#include <archive.h>
#include <archive_entry.h>

namespace launcher::publish {
namespace {

// An archive being written through libarchive; freed on every path out.
class ArchiveOutput {
public:
    ArchiveOutput() : a_(archive_write_new()) {}
    ~ArchiveOutput() { archive_write_free(a_); }
    ArchiveOutput(const ArchiveOutput&) = delete;
    ArchiveOutput& operator=(const ArchiveOutput&) = delete;
    ::archive* get() { return a_; }

    void check(int status, const std::filesystem::path& archive) {
        if (status < ARCHIVE_WARN)
            throw platform::FileError("Cannot write " + platform::utf8_of(archive) + ": " +
                                      archive_error_string(a_));
    }

private:
    ::archive* a_;
};

void write_with_libarchive(PackedFormat format, const std::filesystem::path& source,
                           std::string_view member_name, const std::filesystem::path& archive) {
    platform::ArchiveNames names; // member names are UTF-8
    platform::File input(source, platform::File::Mode::Read);
    const platform::FileStatus info = input.status();

    std::filesystem::path temporary = archive;
    temporary += ".writing";
    try {
        ArchiveOutput out;
        out.check(format == PackedFormat::zip ? archive_write_set_format_zip(out.get())
                                              : archive_write_set_format_7zip(out.get()),
                  archive);
        out.check(platform::ArchiveNames::prepare_writer(out.get(), format == PackedFormat::zip),
                  archive);
        out.check(platform::ArchiveNames::open_for_writing(out.get(), temporary), archive);
        archive_entry* entry = archive_entry_new();
        platform::ArchiveNames::set_member_name(entry, member_name);
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, static_cast<la_int64_t>(info.size));
        archive_entry_set_mtime(entry, info.modified.tv_sec, info.modified.tv_nsec);
        const int header = archive_write_header(out.get(), entry);
        archive_entry_free(entry);
        out.check(header, archive);
        std::vector<std::uint8_t> block(1 << 20);
        for (;;) {
            const std::size_t n = input.read(block);
            if (n == 0)
                break;
            if (archive_write_data(out.get(), block.data(), n) < 0)
                out.check(ARCHIVE_FATAL, archive);
        }
        out.check(archive_write_close(out.get()), archive);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw;
    }
    platform::rename_replace(temporary, archive);
}

} // namespace

PackedFormat ParsePackedFormat(std::string_view text) {
    if (text == "rar")
        return PackedFormat::rar;
    if (text == "7z")
        return PackedFormat::sevenzip;
    if (text == "zip")
        return PackedFormat::zip;
    throw std::invalid_argument("Unknown archive format " + std::string(text) +
                                " (rar, 7z or zip)");
}

void WritePackedArchive(PackedFormat format, const std::filesystem::path& source,
                        std::string_view member_name, const std::filesystem::path& archive) {
    if (format == PackedFormat::rar) {
        Rar4StoreWriter writer(archive);
        writer.add_file(member_name, source);
        writer.finish();
        return;
    }
    write_with_libarchive(format, source, member_name, archive);
}

} // namespace launcher::publish
