#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace launcher::publish {

enum class PackedFormat { rar, sevenzip, zip };

// "rar", "7z" or "zip"; throws std::invalid_argument for anything else.
PackedFormat ParsePackedFormat(std::string_view text);

// Packs one file as an archive holding one member named `member_name`: a
// stored RAR 4 archive, or a compressed 7z or zip archive. The archive is
// written under a temporary name and renamed into place.
void WritePackedArchive(PackedFormat format, const std::filesystem::path& source,
                        std::string_view member_name, const std::filesystem::path& archive);

} // namespace launcher::publish
