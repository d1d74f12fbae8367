#include "publish/packed_archive_writer.h"

#include "archive/rar4_writer.h"
#include "platform/files.h"
#include "platform/utf8_locale.h"

#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
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
            throw platform::FileError("Cannot write " + archive.string() + ": " +
                                      archive_error_string(a_));
    }

private:
    ::archive* a_;
};

void write_with_libarchive(PackedFormat format, const std::filesystem::path& source,
                           std::string_view member_name, const std::filesystem::path& archive) {
    platform::ScopedUtf8Locale utf8; // member names are UTF-8
    const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw platform::FileError("Cannot open file " + source.string());
    struct stat info {};
    ::fstat(fd, &info);

    std::filesystem::path temporary = archive;
    temporary += ".writing";
    try {
        ArchiveOutput out;
        out.check(format == PackedFormat::zip ? archive_write_set_format_zip(out.get())
                                              : archive_write_set_format_7zip(out.get()),
                  archive);
        out.check(archive_write_open_filename(out.get(), temporary.c_str()), archive);
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname_utf8(entry, std::string(member_name).c_str());
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, info.st_size);
        archive_entry_set_mtime(entry, info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
        const int header = archive_write_header(out.get(), entry);
        archive_entry_free(entry);
        out.check(header, archive);
        std::vector<char> block(1 << 20);
        for (;;) {
            const ssize_t n = ::read(fd, block.data(), block.size());
            if (n < 0)
                throw platform::FileError("Cannot read " + source.string());
            if (n == 0)
                break;
            if (archive_write_data(out.get(), block.data(), static_cast<std::size_t>(n)) < 0)
                out.check(ARCHIVE_FATAL, archive);
        }
        out.check(archive_write_close(out.get()), archive);
    } catch (...) {
        ::close(fd);
        std::filesystem::remove(temporary);
        throw;
    }
    ::close(fd);
    std::filesystem::rename(temporary, archive);
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
