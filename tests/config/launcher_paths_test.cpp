// The file-mode folder and texts that name files of the launcher folder.
#include "config/launcher_paths.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

TEST(FileModeFolderPath, DropsTrailingSeparatorsAndIsAbsolute) {
    const std::filesystem::path folder = FileModeFolderPath("packed\\\\");
    EXPECT_TRUE(folder.is_absolute());
    EXPECT_EQ(folder.filename(), "packed");
}

TEST(WithoutLauncherFolder, LeavesOutEveryMentionOfTheFolder) {
    const std::filesystem::path folder = std::filesystem::path("games") / "launcher";
    const std::string prefix = (folder / "").string();
    EXPECT_EQ(
        WithoutLauncherFolder("Cannot start " + prefix + "system" + "/jux.exe: " + prefix, folder),
        "Cannot start system/jux.exe: ");
    EXPECT_EQ(WithoutLauncherFolder("games/launchers/x", "games/launcher"), "games/launchers/x");
    EXPECT_EQ(WithoutLauncherFolder("text", ""), "text");
}

} // namespace
} // namespace launcher
