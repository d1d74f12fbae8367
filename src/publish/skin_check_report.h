#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

namespace launcher::publish {

// The skin check of a configuration stream (both skin parts first), one line
// per warning: where it comes from, then what is wrong. With the skin folder
// the stream was composed from, the place is the file the folder's index
// names for it ("skin/main/Button_StartGame.txt"); otherwise the window and
// member ("[main] Button_StartGame parameters").
std::vector<std::string> SkinWarningLines(std::span<const std::uint8_t> stream,
                                          const std::filesystem::path& skin_dir = {});

// Writes each line as "warning: LINE" to `out`. With `strict`, any warning
// then throws std::runtime_error, so that nothing is written.
void ReportSkinWarnings(const std::vector<std::string>& lines, std::ostream& out, bool strict);

} // namespace launcher::publish
