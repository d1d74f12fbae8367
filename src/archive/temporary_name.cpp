#include "archive/temporary_name.h"

#include "platform/file.h"
#include "platform/utf8_path.h"

#include <string>

namespace launcher {
namespace {

constexpr std::string_view kTemporaryEnding = ".upd-tmp";
// Leaves room for the dots, the random part and the ending within the
// 255-byte limit most file systems put on one name.
constexpr std::size_t kLongestKeptName = 200;

} // namespace

std::filesystem::path TemporaryNameBeside(const std::filesystem::path& target) {
    std::string name = platform::utf8_of(target.filename());
    if (name.size() > kLongestKeptName) {
        name.resize(kLongestKeptName);
        while (!name.empty() && (static_cast<unsigned char>(name.back()) & 0xC0) == 0x80)
            name.pop_back(); // no half of a UTF-8 sequence
        if (!name.empty() && static_cast<unsigned char>(name.back()) >= 0xC0)
            name.pop_back();
    }
    return target.parent_path() /
           platform::path_from_utf8("." + name + "." + platform::random_suffix() +
                                    std::string(kTemporaryEnding));
}

bool IsTemporaryName(std::string_view file_name) {
    // "." + at least one character + "." + six characters + the ending.
    return file_name.size() >= 1 + 1 + 1 + 6 + kTemporaryEnding.size() &&
           file_name.front() == '.' && file_name.ends_with(kTemporaryEnding) &&
           file_name[file_name.size() - kTemporaryEnding.size() - 7] == '.';
}

} // namespace launcher
