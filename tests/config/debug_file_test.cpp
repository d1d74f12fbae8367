#include "config/debug_file.h"
#include "platform/files.h"
#include "support/temp_dir.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace launcher {
namespace {

TEST(DebugFileTest, EveryLineRewritesTheWholeFileWithCrLf) {
    testing::TempDir dir;
    dir.write("log.err", "an older run\r\n");
    tDebugFile log(dir / "log.err");
    log.enabled = true;
    log.WriteErr("config created");
    EXPECT_EQ(platform::read_file_text(dir / "log.err"), "config created\r\n");
    log.WriteErr("  try load config");
    EXPECT_EQ(platform::read_file_text(dir / "log.err"), "config created\r\n  try load config\r\n");
}

TEST(DebugFileTest, DisabledWritesNothingAndKeepsAnOldFile) {
    testing::TempDir dir;
    dir.write("log.err", "old");
    {
        tDebugFile log(dir / "log.err");
        log.WriteErr("config created");
        EXPECT_TRUE(log.lines().empty());
    }
    EXPECT_EQ(platform::read_file_text(dir / "log.err"), "old");
}

TEST(DebugFileTest, AnUnwritableFileDoesNotEndTheRun) {
    testing::TempDir dir;
    tDebugFile log(dir / "missing-folder" / "log.err");
    log.enabled = true;
    EXPECT_NO_THROW(log.WriteErr("config created"));
    EXPECT_EQ(log.lines().size(), 1u);
}

TEST(DebugFileTest, WithoutAFileNameLinesStayInMemory) {
    tDebugFile log;
    log.enabled = true;
    log.WriteErr("a");
    log.WriteErr("b");
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"a", "b"}));
}

} // namespace
} // namespace launcher
