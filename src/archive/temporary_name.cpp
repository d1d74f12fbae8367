#include "archive/temporary_name.h"

#include "platform/file.h"

#include <string>

namespace launcher {
namespace {

constexpr std::string_view kTemporaryEnding = ".upd-tmp";
// Leaves room for the dots, the random part and the ending within the
// 255-byte limit most file systems put on one name.
constexpr std::size_t kLongestKeptName = 200;

} // namespace

std::filesystem::path TemporaryNameBeside(const std::filesystem::path& target) {
    std::string name = target.filename().string();
    if (name.size() > kLongestKeptName)
        name.resize(kLongestKeptName);
    return target.parent_path() /
           ("." + name + "." + platform::random_suffix() + std::string(kTemporaryEnding));
}

bool IsTemporaryName(std::string_view file_name) {
    // "." + at least one character + "." + six characters + the ending.
    return file_name.size() >= 1 + 1 + 1 + 6 + kTemporaryEnding.size() &&
           file_name.front() == '.' && file_name.ends_with(kTemporaryEnding) &&
           file_name[file_name.size() - kTemporaryEnding.size() - 7] == '.';
}

} // namespace launcher
