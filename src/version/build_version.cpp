#include "version/build_version.h"

#include "version/build_version_values.h"

#include <algorithm>

namespace launcher {
namespace {

#define LAUNCHER_VERSION_MARK "\x01launcher-build-version\x02"
constexpr std::size_t kMarkLength = sizeof(LAUNCHER_VERSION_MARK) - 1;
// Longer than any version text: a longer run after the mark is no version.
constexpr std::size_t kLongestVersion = 160;

// The mark, the build version, a zero byte. This is the only copy of the
// mark in a program: the search below takes it from here rather than from
// a second literal, so a search of a program's own file finds the real one.
// `used` keeps it even if an optimiser saw no reader.
[[gnu::used]] constexpr char kMarkedVersion[] = LAUNCHER_VERSION_MARK LAUNCHER_BUILD_VERSION;

bool is_version_text(std::string_view text) {
    return !text.empty() && text.size() <= kLongestVersion && text.front() >= '0' &&
           text.front() <= '9' &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7f; });
}

} // namespace

std::string_view ProjectVersion() {
    return LAUNCHER_PROJECT_VERSION;
}

std::string_view BuildCommit() {
    return LAUNCHER_BUILD_COMMIT;
}

std::string_view BuildVersion() {
    return std::string_view(kMarkedVersion).substr(kMarkLength);
}

std::optional<std::string> FindBuildVersion(std::string_view program_bytes) {
    const std::string_view mark(kMarkedVersion, kMarkLength);
    for (std::size_t at = program_bytes.find(mark); at != std::string_view::npos;
         at = program_bytes.find(mark, at + 1)) {
        const std::string_view rest = program_bytes.substr(at + kMarkLength);
        const std::string_view text = rest.substr(0, rest.find('\0'));
        if (text.size() < rest.size() && is_version_text(text))
            return std::string(text);
    }
    return std::nullopt;
}

} // namespace launcher
