#pragma once

#include "platform/file.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace launcher::platform {

using Bytes = std::vector<std::uint8_t>;

// The whole content of a file; throws FileError when it cannot be read.
Bytes read_file(const std::filesystem::path& path);
std::string read_file_text(const std::filesystem::path& path);

// Writes `content` to a temporary file beside `path`, flushes it to disk and
// renames it into place, so a crash leaves either the old file or the new
// one, never a truncated one. Throws FileError on failure (the old file stays).
void write_file_atomic(const std::filesystem::path& path, std::string_view content);

// Plain replacing write, for files where a torn write loses nothing (logs).
// Returns false instead of throwing.
bool write_file(const std::filesystem::path& path, std::string_view content) noexcept;

// The running executable's path.
std::filesystem::path executable_path();

// Turns a backslash-separated relative name of the game ("\system\jux.ini",
// UTF-8) into a path below `base`.
std::filesystem::path native_path(const std::filesystem::path& base, std::string_view name);

} // namespace launcher::platform
