#include "config/command_line.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

struct CommandLineCase {
    std::vector<std::string> arguments;
    bool debug;
    bool file_mode;
    std::string folder;
};

class CommandLineTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, OnlyTheFirstArgumentCounts) {
    const auto& expected = GetParam();
    const CommandLine parsed = ParseCommandLine(expected.arguments);
    EXPECT_EQ(parsed.DebugMode, expected.debug);
    EXPECT_EQ(parsed.FileModeActive, expected.file_mode);
    EXPECT_EQ(parsed.FileModeFolder, expected.folder);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineTest,
    ::testing::Values(CommandLineCase{{}, false, false, ""},
                      CommandLineCase{{"-debug"}, true, false, ""},
                      CommandLineCase{{"-DeBuG"}, true, false, ""},
                      CommandLineCase{{"x", "-debug"}, false, false, ""},
                      CommandLineCase{{"filemode=C:\\packs"}, false, true, "C:\\packs\\"},
                      CommandLineCase{{"FileMode=C:\\packs\\"}, false, true, "C:\\packs\\"},
                      CommandLineCase{{"filemode =C:\\packs"}, false, false, ""},
                      CommandLineCase{{"filemode="}, false, false, ""},
                      CommandLineCase{{"filemode"}, false, false, ""},
                      CommandLineCase{{"filemode=/srv/packs"}, false, true, "/srv/packs\\"},
                      CommandLineCase{{"-debug", "filemode=x"}, true, false, ""}));

} // namespace
} // namespace launcher
