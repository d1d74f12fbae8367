#pragma once

#include <filesystem>
#include <optional>

namespace launcher::publish {

// Whether the first member of a served archive is marked as a program (an
// execute bit in its mode); none when the archive does not read.
std::optional<bool> ArchiveMemberExecutable(const std::filesystem::path& archive);

} // namespace launcher::publish
