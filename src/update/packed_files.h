#pragma once

#include "archive/rar_types.h"

#include <filesystem>
#include <optional>
#include <string>

namespace launcher {

inline constexpr std::string_view kTemporaryPackedFile = "$tmp.vdp";
// Where a signed release's signature file is fetched to.
inline constexpr std::string_view kTemporarySignatureFile = "$tmp.sig";
inline constexpr std::string_view kPackedSuffix = ".vdp";

// Restores the bzip2 header of a packed manifest (the five bytes "BZh91"
// over its first five) and decodes it into `target`. A missing packed file
// does nothing. File and decoder errors reach the caller, and so does a
// stream that ends before its end marker; the target then keeps what was
// decoded before the error. The target is created anew, never written
// through a link standing at its name.
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

// Extracts every file member of a packed archive into `folder` under its
// file name alone (folder members are skipped). Each member is written under
// a temporary name beside its target and renamed into place only when it is
// complete; the member named like the game file is verified against
// `expected` while it is written, so a file that is damaged, larger than the
// file list says, or cannot be written leaves the old file untouched. A
// relative `folder` is taken below `base_folder` (the launcher folder).
TRARExtractResult UnpackArchive(const std::filesystem::path& archive,
                                const std::filesystem::path& folder,
                                const std::filesystem::path& base_folder,
                                const ExpectedFile& expected = {});

} // namespace launcher
