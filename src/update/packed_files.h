#pragma once

#include <filesystem>

namespace launcher {

inline constexpr std::string_view kTemporaryPackedFile = "$tmp.vdp";
inline constexpr std::string_view kPackedSuffix = ".vdp";

// Restores the bzip2 header of a packed manifest in place (the five bytes
// "BZh91" over its first five) and decodes it into `target`. A missing packed
// file does nothing. File and decoder errors reach the caller, and so does a
// stream that ends before its end marker; the target then keeps what was
// decoded before the error.
void UnpackFile(const std::filesystem::path& packed, const std::filesystem::path& target);

// Extracts every file member of a packed archive into `folder` under its file
// name alone (folder members are skipped, existing files replaced). A relative
// `folder` is taken below `base_folder` (the launcher folder). A missing or
// unreadable archive extracts nothing and reports nothing.
void UnpackArchive(const std::filesystem::path& archive, const std::filesystem::path& folder,
                   const std::filesystem::path& base_folder);

} // namespace launcher
