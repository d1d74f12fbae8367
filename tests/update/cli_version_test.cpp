// Which build a program is: --version, the debug log's first line and
// launcher-publish unpack's report of a packed launcher agree.
#include "platform/files.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "update/launcher_programs.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::StartsWith;

std::string first_line(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

TEST(CliVersionTest, VersionLineLogAndPackedLauncherAgree) {
    TempDir dir;
    const auto cli = run_process({kCli, "--version"});
    ASSERT_EQ(cli.exit_code, 0) << cli.output;
    const std::string line = first_line(cli.output);
    EXPECT_THAT(line,
                MatchesRegex("launcher-cli [0-9]+\\.[0-9]+\\.[0-9]+( \\([0-9a-f]+(-dirty)?\\))?"
                             " libcurl/[^ ]+ libarchive/[^ ]+ libsodium/[^ ]+ bzip2/[^ ]+"));
    const auto publish = run_process({kPublish, "--version"});
    ASSERT_EQ(publish.exit_code, 0) << publish.output;
    const std::string build =
        line.substr(line.find(' ') + 1, line.find(" libcurl/") - line.find(' ') - 1);
    EXPECT_THAT(publish.output, StartsWith("launcher-publish " + build + " "));

    const auto config = run_process({kCli, "config", "--debug"}, dir.path());
    ASSERT_EQ(config.exit_code, 0) << config.output;
    EXPECT_EQ(first_line(platform::read_file_text(dir / "log.err")), line);

    const auto launcher = pack_launcher(dir, dir / "bin" / "launcher", "http://127.0.0.1:9/");
    const auto unpack =
        run_process({kPublish, "unpack", launcher.string(), "--skin", (dir / "skin").string(),
                     "--config", (dir / "config.txt").string()});
    ASSERT_EQ(unpack.exit_code, 0) << unpack.output;
    EXPECT_THAT(unpack.output, HasSubstr("Launcher build: " + build + "\n"));
}

} // namespace
} // namespace launcher::testing
