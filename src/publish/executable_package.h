#pragma once

#include "platform/files.h"

#include <filesystem>
#include <span>

namespace launcher::publish {

// The decoded configuration stream a launcher reads at start-up: both skin
// parts composed from a skin source folder, then the configuration text as
// its bytes stand in the file.
platform::Bytes ComposeConfigStream(const std::filesystem::path& skin_dir,
                                    const std::filesystem::path& config_file);

// Writes the package resource (length field, payload) into the data block
// of a copy of `executable`, zero-filling the rest of the block, and saves
// the copy as `output` with the executable bits. `output` may be
// `executable` itself. Nothing is written when the package does not fit or
// the executable has no data block.
void WritePackageIntoExecutable(std::span<const std::uint8_t> resource,
                                const std::filesystem::path& executable,
                                const std::filesystem::path& output);

// The inverse: the decoded configuration stream of a launcher executable.
platform::Bytes ReadConfigStreamFromExecutable(const std::filesystem::path& executable);

// Splits a decoded stream into a skin source folder and a configuration
// text file.
void DecomposeConfigStream(std::span<const std::uint8_t> stream,
                           const std::filesystem::path& skin_dir,
                           const std::filesystem::path& config_file);

} // namespace launcher::publish
