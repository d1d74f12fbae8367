#pragma once

#include <filesystem>
#include <string_view>

namespace launcher {

// A file is written under a temporary name beside its target and renamed
// into place only when it is complete and verified. The names are
// recognisable, so that what a killed run left behind can be found and
// removed by the next one: "." + the target's file name + "." + six random
// letters or digits + ".upd-tmp".
std::filesystem::path TemporaryNameBeside(const std::filesystem::path& target);

// True for a file name that `TemporaryNameBeside` makes.
bool IsTemporaryName(std::string_view file_name);

} // namespace launcher
