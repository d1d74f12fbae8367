#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

struct archive;
struct archive_entry;

namespace launcher::platform {

// How names reach libarchive and come back on this system, so that every
// name (Cyrillic included) survives. POSIX systems: names are bytes, and
// libarchive converts member names through the thread's locale, so a UTF-8
// locale is in force while an archive is read or written. Windows: file
// names are wide, libarchive converts through the ANSI code page, so the
// wide forms are used and the zip writer stores UTF-8 names
// ("hdrcharset=UTF-8").
class ArchiveNames {
public:
    ArchiveNames();
    ~ArchiveNames();
    ArchiveNames(const ArchiveNames&) = delete;
    ArchiveNames& operator=(const ArchiveNames&) = delete;

    // archive_read_open_filename for a path of this system.
    static int open_for_reading(::archive* reader, const std::filesystem::path& file,
                                std::size_t block_size);
    // archive_write_open_filename for a path of this system.
    static int open_for_writing(::archive* writer, const std::filesystem::path& file);

    // A member's stored name as UTF-8, from whichever form libarchive has
    // (RAR 5 names come as UTF-8, RAR 4 Unicode names as wide text).
    static std::string member_name(archive_entry* entry);
    // Gives a member its name (UTF-8).
    static void set_member_name(archive_entry* entry, std::string_view utf8);
    // Options a writer of this format needs for UTF-8 names; ARCHIVE_OK when
    // none are needed. Call after choosing the format.
    static int prepare_writer(::archive* writer, bool zip);

private:
    struct Scope;
    std::unique_ptr<Scope> scope_;
};

} // namespace launcher::platform
