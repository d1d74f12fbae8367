#pragma once

#include "archive/rar_types.h"
#include "platform/files.h"

#include <filesystem>
#include <optional>
#include <string>

namespace launcher {

inline constexpr std::string_view kTemporaryPackedFile = "$tmp.vdp";
// Where a signed release's signature file is fetched to.
inline constexpr std::string_view kTemporarySignatureFile = "$tmp.sig";
inline constexpr std::string_view kPackedSuffix = ".vdp";

// What a packed manifest may unpack to at most. A catalogue line of the
// widest kind (a 260-character name of three-byte characters, both hashes,
// a 20-digit size and a date) takes about 850 bytes, so this holds 100,000
// of them with room to spare, and about twelve times a real 100,000-file
// catalogue; what a run then holds in memory at once stays near half a
// gigabyte however large a hostile stream claims to be.
inline constexpr std::size_t kManifestAtMost = std::size_t{128} << 20;

// A packed manifest decoded in memory: its text, as far as it decoded, and
// why it is not a usable file list (empty: it is one).
struct DecodedManifest {
    platform::Bytes text;
    std::string failure;
};

// Restores the bzip2 header of a packed manifest (the five bytes "BZh91"
// over its first five) and decodes it, at most kManifestAtMost bytes of it.
// A stream that does not decode, ends before its end marker, is longer than
// that or holds no catalogue line (nothing but blank lines before the first
// section line or the end) is no usable file list.
DecodedManifest DecodePackedManifest(platform::Bytes packed);

// Restores the packed manifest's header in place and decodes it into
// `target`, as DecodePackedManifest does. A missing packed file does
// nothing. File errors reach the caller; so does an unusable file list, as
// ConfigPackageError, after the target got what was decoded. The target is
// created anew, never written through a link standing at its name.
void UnpackFile(const std::filesystem::path& packed, const std::filesystem::path& target);

// What the game file that a packed archive brings must be.
struct ExpectedFile {
    std::string file_name;            // the member that is the game file; empty: none
    std::string hash;                 // its MD5; empty when the file list gives none
    std::optional<std::int64_t> size; // its size, when the file list gives one
    // Leave the verified file under a temporary name for the caller to put
    // in place; it is then made durable here only with `sync`.
    bool keep_staged = false;
    bool sync = true;
};

// Extracts the game file from a packed archive into `folder`: only the first
// regular member named like `expected.file_name` (its folders dropped, in
// any letter case) is written, under the catalogue's spelling; every other
// member is passed over and named in the result's `Ignored`. The member is
// written under a temporary name beside its target and verified against
// `expected` while it is written: its MD5, and its size against its header
// and the file list (or, when the file list gives no size, against a bound
// on how far an archive of this size can inflate). A file that is damaged,
// too large or cannot be written leaves the old file untouched. Without a
// file name nothing is extracted. A relative `folder` is taken below
// `base_folder` (the launcher folder).
TRARExtractResult UnpackArchive(const std::filesystem::path& archive,
                                const std::filesystem::path& folder,
                                const std::filesystem::path& base_folder,
                                const ExpectedFile& expected);

} // namespace launcher
