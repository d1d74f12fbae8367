#include "archive/rar_archive.h"

#include "archive/following_digest.h"
#include "archive/temporary_name.h"
#include "catalogue/md5.h"
#include "platform/archive_names.h"
#include "platform/executable_bit.h"
#include "platform/file.h"
#include "platform/text.h"
#include "platform/utf8_path.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include <archive.h>
#include <archive_entry.h>

namespace launcher {
namespace {

// Large reads mean few system calls for a large member.
constexpr std::size_t kReadBlockSize = 1 << 20;
// Archives up to this size are read in one go and opened from memory: the
// reader then makes no system call of its own, where reading from the file
// costs a dozen seeks and reads for a small archive.
constexpr std::uint64_t kInMemoryArchiveAtMost = 4 << 20;
// From this size on a checked member is hashed on a second thread while it
// is written.
constexpr std::int64_t kHashAsideFrom = std::int64_t{8} << 20;
// Written data is handed to the disk in steps of this size while a large
// member is extracted, so the flush at the end has little left to wait for.
constexpr std::uint64_t kWritebackStep = std::uint64_t{16} << 20;

// A result code for what libarchive says went wrong, by what was being done.
int error_code_of(::archive* a, int fallback) {
    const int error = archive_errno(a);
    if (error == ENOMEM)
        return ERAR_NO_MEMORY;
    const char* message = archive_error_string(a);
    const std::string_view text = message != nullptr ? message : "";
    if (text.find("assphrase") != std::string_view::npos ||
        text.find("ncrypt") != std::string_view::npos)
        return ERAR_MISSING_PASSWORD;
    if (text.find("Unrecognized archive format") != std::string_view::npos)
        return ERAR_UNKNOWN_FORMAT;
    return fallback;
}

// Codes after which nothing more can be read from the archive.
bool is_fatal(int code) {
    return code == ERAR_NO_MEMORY || code == ERAR_BAD_DATA ||
           (code >= ERAR_UNKNOWN_FORMAT && code <= ERAR_UNKNOWN) || code == ERAR_NOT_OPENED;
}

TDateTime local_date_time(std::int64_t seconds) {
    timespec when{};
    when.tv_sec = static_cast<time_t>(seconds);
    return local_date_time_from_file_time(when);
}

// The stored name split into its folder parts; "\" and "/" both separate.
std::vector<std::string> name_parts(std::string_view name) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : name) {
        if (c == '/' || c == '\\') {
            parts.push_back(std::move(part));
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    parts.push_back(std::move(part));
    return parts;
}

// The member's file name alone, or none when it has no usable one.
std::optional<std::string> file_name_only(std::string_view name) {
    auto parts = name_parts(name);
    const std::string& last = parts.back();
    if (last.empty() || last == "." || last == "..")
        return std::nullopt;
    return last;
}

// The member's stored path below the destination, or none when it would
// leave it (absolute names, drive letters, ".." parts).
std::optional<std::filesystem::path> relative_path(std::string_view name) {
    std::filesystem::path path;
    const auto parts = name_parts(name);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (part.empty() && i == 0 && parts.size() > 1)
            return std::nullopt; // absolute
        if (part == "..")
            return std::nullopt;
        if (i == 0 && part.size() >= 2 && part[1] == ':')
            return std::nullopt; // drive letter
        if (part.empty() || part == ".")
            continue;
        path /= platform::path_from_utf8(part);
    }
    if (path.empty())
        return std::nullopt;
    return path;
}

bool looks_like_program(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    char magic[4] = {};
    in.read(magic, sizeof magic);
    return (in.gcount() >= 2 && magic[0] == 'M' && magic[1] == 'Z') ||
           (in.gcount() == 4 && std::string_view(magic, 4) == "\x7F"
                                                              "ELF");
}

} // namespace

// One open archive: opened in the constructor, closed in the destructor.
class TRAR::Reader {
public:
    Reader(TRAR& owner, const std::filesystem::path& file) : owner_(owner), a_(archive_read_new()) {
        // No outer compression filters: the formats compress their members
        // themselves, and some filters hand the bytes to outside programs.
        archive_read_support_format_rar(a_);
        archive_read_support_format_rar5(a_);
        archive_read_support_format_7zip(a_);
        archive_read_support_format_zip(a_);
        if (!owner.Password.empty())
            archive_read_add_passphrase(a_, owner.Password.c_str());
        archive_read_set_passphrase_callback(a_, this, &Reader::ask_password);
        if (read_small_archive(file))
            opened_ = archive_read_open_memory(a_, bytes_.data(), bytes_.size()) == ARCHIVE_OK;
        else
            opened_ =
                platform::ArchiveNames::open_for_reading(a_, file, kReadBlockSize) == ARCHIVE_OK;
    }
    ~Reader() { archive_read_free(a_); }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    bool opened() const { return opened_; }
    ::archive* handle() { return a_; }

    // ARCHIVE_OK with the next entry, ARCHIVE_EOF at the end, or a failure.
    int next(archive_entry*& entry) { return archive_read_next_header(a_, &entry); }

    // Closes the archive; false when closing failed.
    bool close() { return archive_read_close(a_) == ARCHIVE_OK; }

    std::string current_name;

private:
    // False for a large archive and one that cannot be read this way: those
    // are opened as files, which also tells why they cannot be read.
    bool read_small_archive(const std::filesystem::path& file) {
        try {
            const platform::File archive(file, platform::File::Mode::Read);
            const std::uint64_t size = archive.size();
            if (size > kInMemoryArchiveAtMost)
                return false;
            bytes_.resize(static_cast<std::size_t>(size));
            std::size_t done = 0;
            while (done < bytes_.size()) {
                const std::size_t got =
                    archive.read_at(done, bytes_.data() + done, bytes_.size() - done);
                if (got == 0)
                    return false; // it shrank meanwhile
                done += got;
            }
            return true;
        } catch (const platform::FileError&) {
            return false;
        }
    }

    static const char* ask_password(::archive*, void* self) {
        auto& reader = *static_cast<Reader*>(self);
        if (!reader.owner_.OnPasswordRequired || reader.asked_)
            return nullptr;
        reader.asked_ = true; // ask once; a wrong answer fails the entry
        bool cancel = false;
        const bool header_password = !reader.owner_.fArchiveInformation.Opened;
        if (header_password)
            reader.owner_.fArchiveInformation.HeaderEncrypted = true;
        reader.owner_.OnPasswordRequired(
            reader.owner_, header_password,
            header_password ? reader.owner_.fArchiveInformation.FileName : reader.current_name,
            reader.password_, cancel);
        return cancel ? nullptr : reader.password_.c_str();
    }

    platform::ArchiveNames names_;
    TRAR& owner_;
    ::archive* a_;
    std::vector<char> bytes_; // a small archive, read whole
    bool opened_ = false;
    bool asked_ = false;
    std::string password_;
};

std::string TRARErrorText(int code) {
    switch (code) {
    case ERAR_SUCCESS:
        return "no error";
    case ERAR_END_ARCHIVE:
        return "end of the archive";
    case ERAR_NO_MEMORY:
        return "not enough memory";
    case ERAR_BAD_DATA:
        return "the data is damaged";
    case ERAR_BAD_ARCHIVE:
        return "the archive is damaged";
    case ERAR_UNKNOWN_FORMAT:
        return "not an archive of a known format";
    case ERAR_EOPEN:
        return "cannot open the archive";
    case ERAR_ECREATE:
        return "cannot create the file";
    case ERAR_ECLOSE:
        return "cannot close the archive";
    case ERAR_EREAD:
        return "cannot read the archive";
    case ERAR_EWRITE:
        return "cannot write the file";
    case ERAR_MISSING_PASSWORD:
        return "it is encrypted";
    case ERAR_NOT_OPENED:
        return "the archive could not be opened";
    default:
        return "extraction failed";
    }
}

int TRAR::GetDllVersion() const {
    return archive_version_number();
}

void TRAR::report(int error_code, TRAROperation operation) {
    if (is_fatal(error_code))
        fAbort = true;
    if (OnError)
        OnError(*this, error_code, operation);
}

bool TRAR::OpenFile(const std::filesystem::path& FileName) {
    fArchiveInformation.Reset();
    fArchiveInformation.FileName = platform::utf8_of(FileName);
    fArchiveInformation.SFX = looks_like_program(FileName);
    const bool listed = List();
    fArchiveInformation.Opened = listed;
    return listed;
}

void TRAR::SetArchive(const std::filesystem::path& FileName) {
    fArchiveInformation.Reset();
    fArchiveInformation.FileName = platform::utf8_of(FileName);
}

void TRAR::record_header(const TRARFileItem& item, bool is_directory) {
    auto& info = fArchiveInformation;
    if (item.Encrypted)
        info.Encryption = true;
    info.HostOS = item.HostOS;
    if (!is_directory)
        ++info.TotalFiles;
    info.UnCompressedSize += item.UnCompressedSize;
    if (OnListFile)
        OnListFile(*this, item);
}

namespace {

// The member's stored name, as UTF-8.
std::string entry_name(archive_entry* entry) {
    return platform::ArchiveNames::member_name(entry);
}

} // namespace

template <typename Visit>
bool TRAR::walk(TRAROperation operation, Visit visit) {
    fAbort = false;
    Reader reader(*this, platform::path_from_utf8(fArchiveInformation.FileName));
    if (!reader.opened()) {
        if (operation == TRAROperation::roExtract)
            note_failure(TRARErrorText(ERAR_NOT_OPENED));
        report(ERAR_NOT_OPENED, TRAROperation::roInitArchive);
        return false;
    }
    bool ok = true;
    while (ok) {
        if (fAbort) {
            ok = false;
            break;
        }
        archive_entry* entry = nullptr;
        const int status = reader.next(entry);
        if (status == ARCHIVE_EOF)
            break;
        if (status < ARCHIVE_WARN) {
            const int code = error_code_of(reader.handle(), ERAR_BAD_ARCHIVE);
            if (operation == TRAROperation::roExtract)
                note_failure(TRARErrorText(code));
            report(code, operation);
            ok = false;
            break;
        }
        reader.current_name = entry_name(entry);
        ok = visit(reader, entry);
    }
    if (operation == TRAROperation::roListFiles) {
        // The archive's own bytes are what it holds compressed.
        fArchiveInformation.CompressedSize = archive_filter_bytes(reader.handle(), -1);
    }
    if (!reader.close()) {
        report(ERAR_ECLOSE, TRAROperation::roInitArchive);
        ok = false;
    }
    return ok;
}

int TRAR::read_member(Reader& reader, const BlockSink& sink) {
    for (;;) {
        if (fAbort)
            return ERAR_UNKNOWN;
        const void* block = nullptr;
        std::size_t size = 0;
        la_int64_t offset = 0;
        const int status = archive_read_data_block(reader.handle(), &block, &size, &offset);
        if (status == ARCHIVE_EOF)
            return ERAR_SUCCESS;
        // A warning while reading data is a checksum mismatch: the member is damaged.
        if (status != ARCHIVE_OK)
            return error_code_of(reader.handle(), ERAR_BAD_DATA);
        if (const int failure = sink(static_cast<const char*>(block), size, offset))
            return failure;
    }
}

bool TRAR::List() {
    return walk(TRAROperation::roListFiles, [this](Reader& reader, archive_entry* entry) {
        TRARFileItem item;
        item.FileName = reader.current_name;
        item.FileNameW = platform::utf8_to_utf16(item.FileName);
        item.UnCompressedSize = static_cast<std::uint32_t>(archive_entry_size(entry));
        item.HostOS = "unknown";
        item.Attributes = archive_entry_mode(entry);
        item.Time = local_date_time(archive_entry_mtime(entry));
        item.Encrypted = archive_entry_is_encrypted(entry) != 0;
        record_header(item, archive_entry_filetype(entry) == AE_IFDIR);
        if (archive_read_data_skip(reader.handle()) < ARCHIVE_WARN) {
            report(error_code_of(reader.handle(), ERAR_BAD_DATA), TRAROperation::roListFiles);
            return false;
        }
        return true;
    });
}

void TRAR::note_failure(std::string why) {
    if (fLastExtract.Failure.empty())
        fLastExtract.Failure = std::move(why);
}

bool TRAR::extract_member(Reader& reader, const std::filesystem::path& target,
                          const TRARMemberCheck* check, std::optional<std::int64_t> header_size,
                          bool executable) {
    const std::int64_t declared = fProgressInfo.FileBytesTotal;
    if (check && check->MaxSize && declared > *check->MaxSize) {
        note_failure(reader.current_name + " is larger than the file list says (" +
                     std::to_string(declared) + " bytes)");
        report(ERAR_BAD_DATA, TRAROperation::roExtract);
        return false;
    }
    const std::filesystem::path temporary = TemporaryNameBeside(target);
    platform::File file;
    try {
        std::error_code ignored;
        std::filesystem::create_directories(target.parent_path(), ignored);
        file = platform::File::create_new(temporary);
    } catch (const platform::FileError& error) {
        fLastExtract.LocalFailure = error;
        note_failure(error.what());
        report(ERAR_ECREATE, TRAROperation::roExtract);
        return false;
    }

    TMD5 digest;
    std::int64_t fed = 0; // bytes of the member digested so far, holes included
    std::optional<FollowingDigest> aside;
    if (check && !check->MD5.empty() && declared >= kHashAsideFrom)
        aside.emplace(temporary);
    std::uint64_t handed_to_disk = 0;
    std::string refusal;
    int failure = read_member(reader, [&](const char* block, std::size_t size,
                                          std::int64_t offset) {
        const std::int64_t end = offset + static_cast<std::int64_t>(size);
        if (check && check->MaxSize && end > *check->MaxSize) {
            refusal = reader.current_name + " grows past the size the file list gives (" +
                      std::to_string(*check->MaxSize) + " bytes)";
            return ERAR_BAD_DATA;
        }
        // A decoder that gives more than the header announced is fed a
        // damaged or hostile member.
        if (header_size && end > *header_size) {
            refusal = reader.current_name + " holds more than its header says (" +
                      std::to_string(*header_size) + " bytes)";
            return ERAR_BAD_DATA;
        }
        try {
            file.write_at(static_cast<std::uint64_t>(offset), block, size);
        } catch (const platform::FileError& error) {
            fLastExtract.LocalFailure = error;
            refusal = error.what();
            return ERAR_EWRITE;
        }
        if (static_cast<std::uint64_t>(end) >= handed_to_disk + kWritebackStep) {
            file.start_writeback(handed_to_disk, static_cast<std::uint64_t>(end) - handed_to_disk);
            handed_to_disk = static_cast<std::uint64_t>(end);
        }
        if (aside) {
            aside->Written(end);
        } else if (check && !check->MD5.empty()) {
            static constexpr char kZeros[4096] = {};
            while (fed < offset) { // a hole reads as zeros
                const auto gap =
                    static_cast<std::size_t>(std::min<std::int64_t>(offset - fed, sizeof kZeros));
                digest.Add(kZeros, gap);
                fed += static_cast<std::int64_t>(gap);
            }
            if (offset == fed) {
                digest.Add(block, size);
                fed = end;
            }
        }
        fProgressInfo.FileBytesDone += static_cast<std::int64_t>(size);
        fProgressInfo.TotalSize += static_cast<std::int64_t>(size);
        if (OnProgress)
            OnProgress(*this, fProgressInfo.FileName, fArchiveInformation.UnCompressedSize,
                       fProgressInfo.TotalSize, fProgressInfo.FileBytesTotal,
                       fProgressInfo.FileBytesDone);
        return ERAR_SUCCESS;
    });
    try {
        if (failure == ERAR_SUCCESS) {
            // A sparse tail leaves the file shorter than the member; give it its size.
            if (declared > 0 && file.size() < static_cast<std::uint64_t>(declared))
                file.set_size(static_cast<std::uint64_t>(declared));
            if (check && !check->MD5.empty()) {
                std::string md5;
                if (aside) {
                    md5 = aside->Finish(declared).value_or("");
                } else {
                    static constexpr char kZeros[4096] = {};
                    for (; fed < declared;) {
                        const auto gap = static_cast<std::size_t>(
                            std::min<std::int64_t>(declared - fed, sizeof kZeros));
                        digest.Add(kZeros, gap);
                        fed += static_cast<std::int64_t>(gap);
                    }
                    md5 = digest.DigestStr();
                }
                if (platform::to_lower_ascii(md5) != platform::to_lower_ascii(check->MD5)) {
                    refusal = reader.current_name + " differs from the file list (MD5 " + md5 +
                              ", expected " + check->MD5 + ")";
                    failure = ERAR_BAD_DATA;
                }
            }
        }
        if (failure == ERAR_SUCCESS) {
            if (!check || check->Sync)
                file.sync();
            file.close();
            // Before the file takes its name, so it is never there without the bit.
            if (executable)
                platform::set_executable(temporary);
            if (check && check->KeepStaged)
                fLastExtract.Staged = temporary;
            else
                platform::rename_replace(temporary, target);
            if (check)
                fLastExtract.MemberPlaced = true;
            return true;
        }
    } catch (const platform::FileError& error) {
        fLastExtract.LocalFailure = error;
        refusal = error.what();
        failure = ERAR_EWRITE;
    }
    file.close();
    platform::remove_file(temporary);
    if (refusal.empty())
        refusal = reader.current_name + ": " + TRARErrorText(failure);
    note_failure(std::move(refusal));
    if (!fAbort || failure != ERAR_UNKNOWN)
        report(failure, TRAROperation::roExtract);
    return false;
}

bool TRAR::Extract(const std::filesystem::path& Path, bool RestoreFolder,
                   const std::vector<std::string>* Files) {
    fProgressInfo.TotalSize = 0;
    fLastExtract = TRARExtractResult{};
    const TRARMemberCheck* check = MemberCheck ? &*MemberCheck : nullptr;
    const bool walked = walk(TRAROperation::roExtract, [&](Reader& reader, archive_entry* entry) {
        const std::string& name = reader.current_name;
        fProgressInfo.FileBytesDone = 0;
        fProgressInfo.FileBytesTotal = archive_entry_size(entry);
        fProgressInfo.FileName = platform::utf8_to_utf16(name);

        const auto type = archive_entry_filetype(entry);
        // Links, devices and names that would leave the folder are never written.
        const bool regular = type == AE_IFREG && archive_entry_hardlink(entry) == nullptr;
        if (check) {
            // Only the checked member is written; the others are passed over
            // unread, whatever they are (encrypted ones included).
            const auto file_name = file_name_only(name);
            if (fLastExtract.MemberFound || !regular || !file_name ||
                platform::to_lower(*file_name) != platform::to_lower(check->FileName)) {
                fLastExtract.Ignored.push_back(name);
                return true; // the next header read passes over this member
            }
        }
        const bool selected =
            Files == nullptr || std::find(Files->begin(), Files->end(), name) != Files->end();
        std::optional<std::filesystem::path> relative;
        if (RestoreFolder)
            relative = relative_path(name);
        else if (auto file_name = file_name_only(name))
            relative = platform::path_from_utf8(*file_name);
        if (!selected || !relative || (!regular && !(RestoreFolder && type == AE_IFDIR)))
            return true; // the next header read passes over this member
        std::filesystem::path target = Path / *relative;
        if (type == AE_IFDIR) {
            std::error_code ignored;
            std::filesystem::create_directories(target, ignored);
            return true;
        }
        const TRARMemberCheck* member_check = nullptr;
        if (check) {
            member_check = check;
            fLastExtract.MemberFound = true;
            target = target.parent_path() / platform::path_from_utf8(check->FileName);
        }
        if (archive_entry_is_encrypted(entry) && Password.empty() && !OnPasswordRequired) {
            note_failure(name + " is encrypted");
            report(ERAR_MISSING_PASSWORD, TRAROperation::roExtract);
            return !member_check;
        }

        TRARReplace action = TRARReplace::rrOverwrite;
        std::error_code exists_error;
        if (OnReplace && std::filesystem::exists(target, exists_error)) {
            TRARReplaceData existing;
            existing.FileName = platform::utf8_of(target);
            existing.Size =
                static_cast<std::int64_t>(std::filesystem::file_size(target, exists_error));
            if (const auto status = platform::file_status(target))
                existing.Time = local_date_time(status->modified.tv_sec);
            TRARReplaceData incoming{name, fProgressInfo.FileBytesTotal,
                                     local_date_time(archive_entry_mtime(entry))};
            OnReplace(*this, existing, incoming, action);
        }
        if (action == TRARReplace::rrCancel) {
            fAbort = true;
            return false;
        }
        if (action == TRARReplace::rrSkip) {
            fProgressInfo.FileBytesDone += fProgressInfo.FileBytesTotal;
            return true;
        }
        // A member that fails ends the extraction only when it was the checked one.
        std::optional<std::int64_t> header_size;
        if (archive_entry_size_is_set(entry))
            header_size = archive_entry_size(entry);
        // A member its archive marks as a program (made on Unix, mode with an
        // execute bit) arrives executable where files have the bit.
        const bool executable = (archive_entry_perm(entry) & 0100) != 0;
        return extract_member(reader, target, member_check, header_size, executable) ||
               !member_check;
    });
    if (!walked && fLastExtract.Failure.empty())
        note_failure(TRARErrorText(ERAR_BAD_ARCHIVE));
    if (check)
        return fLastExtract.MemberPlaced;
    return walked && fLastExtract.Failure.empty();
}

bool TRAR::Test() {
    return walk(TRAROperation::roTest, [this](Reader& reader, archive_entry*) {
        // Reading every block makes the reader verify the member's checksum.
        const int failure = read_member(
            reader, [](const char*, std::size_t, std::int64_t) { return ERAR_SUCCESS; });
        if (failure != ERAR_SUCCESS && !(fAbort && failure == ERAR_UNKNOWN))
            report(failure, TRAROperation::roTest);
        return failure == ERAR_SUCCESS;
    });
}

TRAR& SharedRAR() {
    static TRAR shared;
    return shared;
}

} // namespace launcher
