#include "version/build_version.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace launcher {
namespace {

// The mark a program carries before its build version, taken from this
// program's own bytes rather than written out here (a second copy of the
// mark in the test would be found as well).
std::string mark() {
    const std::optional<std::string> own = FindBuildVersion(
        std::string_view(BuildVersion().data() - 24, 24 + BuildVersion().size() + 1));
    EXPECT_EQ(own, std::string(BuildVersion()));
    return std::string(BuildVersion().data() - 24, 24);
}

TEST(BuildVersionTest, FoundOnlyAfterTheMarkAndBeforeAZeroByte) {
    EXPECT_FALSE(BuildVersion().empty());
    EXPECT_EQ(BuildVersion().substr(0, ProjectVersion().size()), ProjectVersion());
    const std::string m = mark();
    using namespace std::string_literals;
    const struct {
        std::string bytes;
        std::optional<std::string> found;
    } cases[] = {
        {"no mark at all"s, std::nullopt},
        {"MZ\0\0"s + m + "1.2.3 (abc)\0rest"s, "1.2.3 (abc)"},
        {m + "1.2.3"s, std::nullopt},                      // cut off: no end
        {m + "\0"s, std::nullopt},                         // empty
        {m + "x.y\0"s, std::nullopt},                      // not a version
        {m + "1.\x01\0"s, std::nullopt},                   // a control byte
        {m + std::string(200, '1') + "\0"s, std::nullopt}, // far too long
        {m + "junk\0"s + m + "2.0.0\0"s, "2.0.0"},         // the next mark counts
    };
    for (const auto& test : cases)
        EXPECT_EQ(FindBuildVersion(test.bytes), test.found) << test.bytes;
}

} // namespace
} // namespace launcher
