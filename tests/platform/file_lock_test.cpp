// The lock file that keeps a second run off a game folder.
#include "platform/file.h"
#include "platform/file_lock.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace launcher::platform {
namespace {

TEST(FileLockTest, SecondHolderIsRefusedUntilTheFirstLetsGo) {
    testing::TempDir dir;
    const auto path = dir / "launcher.lock";
    std::optional<FileLock> first = FileLock::TryTake(path);
    ASSERT_TRUE(first.has_value());
    EXPECT_FALSE(FileLock::TryTake(path).has_value()) << "another open of the file is refused";

    FileLock moved = std::move(*first);
    first.reset();
    EXPECT_FALSE(FileLock::TryTake(path).has_value()) << "the lock moved with the object";
    { [[maybe_unused]] FileLock gone = std::move(moved); }
    EXPECT_TRUE(FileLock::TryTake(path).has_value());
}

#ifndef _WIN32 // symbolic links need rights there that tests do not have
TEST(FileLockTest, LinkAtTheLockFileIsNotFollowed) {
    testing::TempDir dir;
    const auto outside = dir.write("outside.txt", "kept");
    std::filesystem::create_symlink(outside, dir / "launcher.lock");
    EXPECT_THROW(FileLock::TryTake(dir / "launcher.lock"), FileError);
}
#endif

} // namespace
} // namespace launcher::platform
