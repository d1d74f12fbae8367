#include "publish/packed_archive_writer.h"

#include "archive/rar4_writer.h"
#include "catalogue/md5.h"
#include "platform/archive_names.h"
#include "platform/durable_file.h"
#include "platform/executable_bit.h"
#include "platform/files.h"
#include "platform/input_file.h"
#include "platform/utf8_path.h"

#include <algorithm>
#include <exception>
#include <future>
#include <optional>
#include <span>
#include <stdexcept>

#include <archive.h>
#include <archive_entry.h>

namespace launcher::publish {
namespace {

constexpr std::size_t kChunk = 1 << 20;
constexpr std::size_t kPiece = 256 << 10;
// From this size on a file's content is hashed on a second thread while its
// archive is hashed and written.
constexpr std::size_t kHashAside = 4 << 20;

std::string md5_of(std::span<const std::uint8_t> bytes) {
    TMD5 md5;
    md5.Add(bytes.data(), bytes.size());
    return md5.DigestStr();
}

// The archive file being written, and the MD5 of every byte that goes in.
class HashedOutput {
public:
    explicit HashedOutput(const std::filesystem::path& path) : file_(path) {}

    void write(std::span<const std::uint8_t> bytes) {
        // In pieces that are still in the processor's cache when written.
        while (!bytes.empty()) {
            const auto piece = bytes.first(std::min(bytes.size(), kPiece));
            md5_.Add(piece.data(), piece.size());
            file_.write(piece);
            size_ += piece.size();
            bytes = bytes.subspan(piece.size());
        }
    }
    void close() { file_.close(); }
    std::string hash() const { return md5_.DigestStr(); }
    std::uint64_t size() const { return size_; }
    const std::filesystem::path& path() const { return file_.path(); }

private:
    platform::OutputFile file_;
    TMD5 md5_;
    std::uint64_t size_ = 0;
};

[[noreturn]] void changed_while_packed(const std::filesystem::path& source) {
    throw platform::FileError(platform::utf8_of(source) + " changed while it was packed");
}

// Reads the file to its end in chunks of `buffer`, handing each on.
template <typename Consume>
std::uint64_t read_through(platform::InputFile& in, std::span<std::uint8_t> buffer,
                           Consume&& consume) {
    std::uint64_t total = 0;
    for (;;) {
        const std::size_t n = in.read(buffer);
        if (n > 0)
            consume(buffer.first(n));
        total += n;
        if (n < buffer.size())
            return total;
    }
}

// An archive written through libarchive into a HashedOutput; freed on every
// path out. Errors of the output are kept and raised after libarchive gives
// up, since they cannot pass through its C callbacks.
class LibarchiveOutput {
public:
    explicit LibarchiveOutput(HashedOutput& out) : a_(archive_write_new()), out_(out) {}
    ~LibarchiveOutput() { archive_write_free(a_); }
    LibarchiveOutput(const LibarchiveOutput&) = delete;
    LibarchiveOutput& operator=(const LibarchiveOutput&) = delete;
    ::archive* get() { return a_; }

    void open() {
        archive_write_set_bytes_per_block(a_, 0); // no padding after the last byte
        check(archive_write_open2(a_, this, nullptr, &LibarchiveOutput::write, nullptr, nullptr));
    }

    void check(int status) {
        if (failure_)
            std::rethrow_exception(failure_);
        if (status < ARCHIVE_WARN)
            throw platform::FileError("Cannot write " + platform::utf8_of(out_.path()) + ": " +
                                      archive_error_string(a_));
    }

private:
    static la_ssize_t write(::archive*, void* self, const void* bytes, size_t length) {
        auto& output = *static_cast<LibarchiveOutput*>(self);
        try {
            output.out_.write({static_cast<const std::uint8_t*>(bytes), length});
            return static_cast<la_ssize_t>(length);
        } catch (...) {
            output.failure_ = std::current_exception();
            return -1;
        }
    }

    ::archive* a_;
    HashedOutput& out_;
    std::exception_ptr failure_;
};

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

ArchivePacker::ArchivePacker(PackedFormat format, std::size_t whole_file_limit)
    : format_(format), whole_file_limit_(whole_file_limit) {}

std::span<std::uint8_t> ArchivePacker::buffer(std::size_t size) {
    // Grown only: shrinking and growing again would clear the bytes each time.
    if (buffer_.size() < size)
        buffer_.resize(size);
    return std::span(buffer_).first(size);
}

PackedArchive ArchivePacker::pack(const std::filesystem::path& source, std::string_view member_name,
                                  const std::filesystem::path& archive) {
    platform::InputFile in(source);
    const auto before = in.status();
    const auto expected = static_cast<std::uint64_t>(before.size);
    const bool executable = platform::is_executable(source);
    TMD5 content;
    std::optional<std::string> content_hash;
    HashedOutput out(archive);

    if (format_ == PackedFormat::rar) {
        std::uint32_t crc = 0;
        if (expected <= whole_file_limit_) {
            // One byte more than expected shows a file that grew meanwhile.
            const std::size_t n = in.read(buffer(static_cast<std::size_t>(expected) + 1));
            if (n != expected)
                changed_while_packed(source);
            const auto bytes = buffer(n);
            crc = Crc32(bytes);
            std::future<std::string> aside;
            if (bytes.size() >= kHashAside)
                aside = std::async(std::launch::async, [bytes] { return md5_of(bytes); });
            out.write(Rar4ArchiveStart());
            out.write(Rar4StoredFileHeader(member_name, expected, crc, before.modified.tv_sec,
                                           executable));
            out.write(bytes);
            content_hash = aside.valid() ? aside.get() : md5_of(bytes);
        } else {
            const auto counted =
                read_through(in, buffer(kChunk), [&](std::span<const std::uint8_t> c) {
                    content.Add(c.data(), c.size());
                    crc = Crc32(c, crc);
                });
            if (counted != expected)
                changed_while_packed(source);
            in.rewind();
            out.write(Rar4ArchiveStart());
            out.write(Rar4StoredFileHeader(member_name, expected, crc, before.modified.tv_sec,
                                           executable));
            std::uint32_t written_crc = 0;
            const auto written =
                read_through(in, buffer(kChunk), [&](std::span<const std::uint8_t> c) {
                    written_crc = Crc32(c, written_crc);
                    out.write(c);
                });
            if (written != expected || written_crc != crc)
                changed_while_packed(source);
        }
        out.write(Rar4ArchiveEnd());
    } else {
        const platform::ArchiveNames names; // member names are UTF-8
        LibarchiveOutput writer(out);
        writer.check(format_ == PackedFormat::zip ? archive_write_set_format_zip(writer.get())
                                                  : archive_write_set_format_7zip(writer.get()));
        writer.check(
            platform::ArchiveNames::prepare_writer(writer.get(), format_ == PackedFormat::zip));
        writer.open();
        archive_entry* entry = archive_entry_new();
        platform::ArchiveNames::set_member_name(entry, member_name);
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, executable ? 0755 : 0644);
        archive_entry_set_size(entry, static_cast<la_int64_t>(before.size));
        archive_entry_set_mtime(entry, before.modified.tv_sec, before.modified.tv_nsec);
        const int header = archive_write_header(writer.get(), entry);
        archive_entry_free(entry);
        writer.check(header);
        const auto counted = read_through(in, buffer(kChunk), [&](std::span<const std::uint8_t> c) {
            content.Add(c.data(), c.size());
            if (archive_write_data(writer.get(), c.data(), c.size()) < 0)
                writer.check(ARCHIVE_FATAL);
        });
        if (counted != expected)
            changed_while_packed(source);
        writer.check(archive_write_close(writer.get()));
    }
    if (!(in.status() == before))
        changed_while_packed(source);
    out.close();
    return {content_hash ? *content_hash : content.DigestStr(),
            out.hash(),
            static_cast<std::int64_t>(before.size),
            before.modified,
            out.size(),
            executable};
}

} // namespace launcher::publish
