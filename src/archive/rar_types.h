#pragma once

#include "catalogue/date_time.h"
#include "platform/files.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace launcher {

// Result codes of the archive reader, as its callers know them.
inline constexpr int ERAR_SUCCESS = 0;
inline constexpr int ERAR_END_ARCHIVE = 10;
inline constexpr int ERAR_NO_MEMORY = 11;
inline constexpr int ERAR_BAD_DATA = 12;
inline constexpr int ERAR_BAD_ARCHIVE = 13;
inline constexpr int ERAR_UNKNOWN_FORMAT = 14;
inline constexpr int ERAR_EOPEN = 15;
inline constexpr int ERAR_ECREATE = 16;
inline constexpr int ERAR_ECLOSE = 17;
inline constexpr int ERAR_EREAD = 18;
inline constexpr int ERAR_EWRITE = 19;
inline constexpr int ERAR_SMALL_BUF = 20;
inline constexpr int ERAR_UNKNOWN = 21;
inline constexpr int ERAR_MISSING_PASSWORD = 22;
// The reader is not available or the archive could not be opened.
inline constexpr int ERAR_NOT_OPENED = 99;

// A short English text for a result code.
std::string TRARErrorText(int code);

enum class TRAROperation { roInitArchive, roListFiles, roExtract, roTest };
enum class TRARReplace { rrCancel, rrOverwrite, rrSkip };

struct TRARFileItem {
    std::string FileName;
    std::u16string FileNameW;
    std::uint32_t CompressedSize = 0;
    std::uint32_t UnCompressedSize = 0;
    std::string HostOS;
    std::string CRC32;
    std::uint32_t Attributes = 0;
    std::string Comment;
    TDateTime Time = 0.0;
    std::uint32_t CompressionStrength = 0;
    std::uint32_t ArchiverVersion = 0;
    bool Encrypted = false;
};

struct TRARReplaceData {
    std::string FileName;
    std::int64_t Size = 0;
    TDateTime Time = 0.0;
};

struct TRARProgressInfo {
    std::int64_t FileBytesDone = 0;
    std::int64_t FileBytesTotal = 0;
    std::u16string FileName;
    std::int64_t TotalSize = 0;
};

// What the last opened archive is like. Reset clears every field.
struct TRARArchiveInformation {
    bool Opened = false;
    std::string FileName;
    std::uint32_t ArchiverMajorVersion = 0;
    std::uint32_t ArchiverMinorVersion = 0;
    std::int64_t DictionarySize = 0;
    bool Encryption = false;
    bool Solid = false;
    std::string HostOS;
    std::int32_t TotalFiles = 0;
    std::int64_t CompressedSize = 0;
    std::int64_t UnCompressedSize = 0;
    bool HeaderEncrypted = false;
    bool MultiVolume = false;
    bool ArchiveComment = false;
    bool FileComment = false;
    std::string Comment;
    bool Signed = false;
    bool Locked = false;
    bool Recovery = false;
    bool SFX = false;

    void Reset() { *this = TRARArchiveInformation{}; }
};

// A member that extraction must verify while it writes it: the first
// regular member whose file name equals `FileName` (in any letter case) is
// written under that spelling, refused once it grows past its header's size
// or `MaxSize`, and refused when its content's MD5 differs from `MD5`
// (compared without regard to letter case; empty: no comparison). It is the
// only member written: every other one is passed over unread and named in
// the result. With `KeepStaged` the verified file stays under its temporary
// name for the caller to put in place. Without `Sync` the caller makes the
// file durable itself (many files at once, say).
struct TRARMemberCheck {
    std::string FileName;
    std::string MD5;
    std::optional<std::int64_t> MaxSize;
    bool KeepStaged = false;
    bool Sync = true;
};

// What the last extraction did with the checked member, and why it failed.
struct TRARExtractResult {
    bool MemberFound = false;     // the archive held the checked member
    bool MemberPlaced = false;    // it passed every check and is in place (or staged)
    std::filesystem::path Staged; // its verified temporary file, with KeepStaged
    std::string Failure;          // why a member or the archive failed, in words
    std::optional<platform::FileError> LocalFailure; // a member could not be written here
    std::vector<std::string> Ignored; // members passed over for not being the checked one
};

} // namespace launcher
