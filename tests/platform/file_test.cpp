#include "platform/file.h"
#include "platform/files.h"
#include "platform/utf8_path.h"
#include "support/temp_dir.h"

#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace launcher::platform {
namespace {

using testing::TempDir;

std::span<const std::uint8_t> bytes_of(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string text_of(const std::filesystem::path& path) {
    return read_file_text(path);
}

TEST(FileTest, ModesOpenOnlyWhatTheyPromise) {
    TempDir dir;
    const auto present = dir.write("present.txt", "old");
    const auto missing = dir / "missing.txt";
    std::error_code error;

    // Existing files only.
    for (const File::Mode mode :
         {File::Mode::Read, File::Mode::ReadDenyWrite, File::Mode::ReadWrite}) {
        EXPECT_FALSE(File::open(missing, mode, error).is_open());
        EXPECT_EQ(error, std::errc::no_such_file_or_directory);
        EXPECT_TRUE(File::open(present, mode, error).is_open()) << error.message();
    }
    EXPECT_FALSE(std::filesystem::exists(missing));

    // A new name only.
    EXPECT_FALSE(File::open(present, File::Mode::CreateExclusive, error).is_open());
    EXPECT_EQ(error, std::errc::file_exists);
    EXPECT_EQ(text_of(present), "old");
    EXPECT_TRUE(File::open(missing, File::Mode::CreateExclusive, error).is_open());

    // Created or emptied.
    File::open(present, File::Mode::Truncate, error).write(bytes_of("new"));
    EXPECT_EQ(text_of(present), "new");
}

TEST(FileTest, ReadDenyWriteKeepsWritersOutWhereTheSystemHasShareModes) {
#ifndef _WIN32
    GTEST_SKIP() << "POSIX systems have no share modes: a shared lock keeps writers out there";
#endif
    TempDir dir;
    const auto path = dir.write("hashed.bin", "content");
    std::error_code error;
    {
        File reading(path, File::Mode::ReadDenyWrite);
        EXPECT_FALSE(File::open(path, File::Mode::ReadWrite, error).is_open());
        EXPECT_EQ(error, std::errc::device_or_resource_busy);
        EXPECT_TRUE(File::open(path, File::Mode::Read, error).is_open()); // readers are welcome
    }
    File writing(path, File::Mode::ReadWrite);
    EXPECT_FALSE(File::open(path, File::Mode::ReadDenyWrite, error).is_open());
    EXPECT_EQ(error, std::errc::device_or_resource_busy);
}

TEST(FileTest, LinksAreNeverFollowedIntoANewFileOrTheirTimes) {
#ifdef _WIN32
    GTEST_SKIP() << "wine cannot make real symbolic links";
#endif
    TempDir dir;
    const auto outside = dir / "outside.txt";
    const auto link = dir / "link.txt";
    std::filesystem::create_symlink(outside, link);
    std::error_code error;
    EXPECT_FALSE(File::open(link, File::Mode::CreateExclusive, error).is_open());
    EXPECT_FALSE(std::filesystem::exists(outside));
    dir.write("outside.txt", "x");
    // A link put at the name after a caller looked at it is not followed either.
    for (const File::Mode mode : {File::Mode::Truncate, File::Mode::ReadWrite})
        EXPECT_FALSE(File::open(link, mode, error).is_open());
    EXPECT_EQ(text_of(outside), "x");
    EXPECT_FALSE(set_file_times(link, {std::nullopt, std::nullopt, timespec{1000, 0}}));
    EXPECT_NE(file_status(outside)->modified.tv_sec, 1000);
}

TEST(FileTest, CreateOrReuseKeepsARegularFileForOverwritingAndNeverFollowsALink) {
    TempDir dir;
    const auto target = dir.write("target.bin", "old content");
    {
        File file = File::create_or_reuse(target);
        file.set_size(3);
        file.write_at(0, "new", 3);
    }
    EXPECT_EQ(text_of(target), "new");
#ifndef _WIN32
    const auto outside = dir.write("outside.txt", "x");
    const auto link = dir / "link.bin";
    std::filesystem::create_symlink(outside, link);
    File::create_or_reuse(link).write_at(0, "y", 1);
    EXPECT_EQ(text_of(outside), "x");
    EXPECT_FALSE(std::filesystem::is_symlink(link));
#endif
}

TEST(FileTest, TheThrowingFormsNameTheFile) {
    TempDir dir;
    const auto missing = dir / "missing.txt";
    try {
        File file(missing, File::Mode::Read);
        FAIL() << "opened a missing file";
    } catch (const FileError& failure) {
        EXPECT_EQ(
            std::string(failure.what()).rfind("Cannot open file " + utf8_of(missing) + ": ", 0), 0u)
            << failure.what();
    }
}

TEST(FileTest, ConcurrentPositionalWritesLandInTheirPlaces) {
    TempDir dir;
    File file(dir / "target.bin", File::Mode::Truncate);
    constexpr std::size_t kParts = 6;
    constexpr std::size_t kPartSize = 100'000;
    file.set_size(kParts * kPartSize);
    std::vector<std::thread> writers;
    for (std::size_t part = 0; part < kParts; ++part)
        writers.emplace_back([&, part] {
            // Each writer fills its range in small pieces, last piece first.
            const std::vector<std::uint8_t> piece(1000, static_cast<std::uint8_t>('a' + part));
            for (std::size_t at = kPartSize; at > 0; at -= piece.size())
                file.write_at(part * kPartSize + at - piece.size(), piece);
        });
    for (auto& writer : writers)
        writer.join();
    file.close();

    const Bytes content = read_file(dir / "target.bin");
    ASSERT_EQ(content.size(), kParts * kPartSize);
    for (std::size_t i = 0; i < content.size(); ++i)
        ASSERT_EQ(content[i], 'a' + i / kPartSize) << "at " << i;
}

TEST(FileTest, SetSizeCutsOrExtendsWithZerosAndKeepsThePosition) {
    TempDir dir;
    File file(dir / "sized.bin", File::Mode::Truncate);
    file.write(bytes_of("abcdef"));
    file.set_size(3);
    file.write(bytes_of("X")); // at the position before the cut: a gap of zeros
    file.set_size(10);
    file.close();
    const std::string content = text_of(dir / "sized.bin");
    EXPECT_EQ(content, std::string("abc\0\0\0X\0\0\0", 10));
}

TEST(FileTest, ReadFullReadsToTheEndInWhateverPiecesTheSystemGives) {
    TempDir dir;
    const auto path = dir.write("data.bin", std::string(70'000, 'z') + "tail");
    File file(path, File::Mode::Read);
    std::vector<std::uint8_t> buffer(65'536);
    EXPECT_EQ(file.read_full(buffer), buffer.size());
    EXPECT_EQ(file.read_full(buffer), 70'004u - 65'536u);
    EXPECT_EQ(file.read_full(buffer), 0u);
    EXPECT_EQ(file.status().size, 70'004u);
    EXPECT_TRUE(file.status().regular);
}

TEST(FileTest, LocksKeepConflictingHoldersOut) {
    TempDir dir;
    const auto path = dir.write("locked.bin", "content");
    File first(path, File::Mode::Read);
    File second(path, File::Mode::ReadWrite);
    ASSERT_TRUE(first.try_lock(File::Lock::Shared));
    File third(path, File::Mode::Read);
    EXPECT_TRUE(third.try_lock(File::Lock::Shared)); // readers share
    EXPECT_FALSE(second.try_lock(File::Lock::Exclusive));
    first.unlock();
    third.close();
    EXPECT_TRUE(second.try_lock(File::Lock::Exclusive));
    EXPECT_FALSE(first.try_lock(File::Lock::Shared));
    second.close(); // closing releases the lock
    EXPECT_TRUE(first.try_lock(File::Lock::Shared));
}

TEST(FileTest, RenameReplaceSwapsTheFileInOneStep) {
    TempDir dir;
    const auto old_file = dir.write("game.dll", "old");
    const auto new_file = dir.write("game.dll.new", "new");
    rename_replace(new_file, old_file);
    EXPECT_EQ(text_of(old_file), "new");
    EXPECT_FALSE(std::filesystem::exists(new_file));
    std::error_code error;
    rename_replace(new_file, old_file, error);
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    EXPECT_EQ(text_of(old_file), "new");
}

TEST(FileTest, TemporaryFilesGetFreshNamesInTheirFolder) {
    TempDir dir;
    File first = create_temporary_file(dir.path(), ".part.");
    File second = create_temporary_file(dir.path(), ".part.");
    EXPECT_NE(first.path(), second.path());
    EXPECT_EQ(first.path().parent_path(), dir.path());
    EXPECT_EQ(utf8_of(first.path().filename()).rfind(".part.", 0), 0u);
    EXPECT_THROW(create_temporary_file(dir / "no such folder", "x"), FileError);
}

TEST(FileTest, FileTimesAreSetAndReadBack) {
    TempDir dir;
    const auto path = dir.write("dated.txt", "a");
    const timespec when{1'700'000'000, 250'000'000};
    ASSERT_TRUE(set_file_times(path, {std::nullopt, when, when}));
    const auto status = file_status(path);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->modified.tv_sec, when.tv_sec);
    EXPECT_EQ(status->modified.tv_nsec / 1'000'000, 250);
    EXPECT_FALSE(set_file_times(dir / "missing.txt", {std::nullopt, when, when}));
    EXPECT_FALSE(set_file_times(dir.path(), {std::nullopt, when, when})); // a folder
    EXPECT_FALSE(file_status(dir / "missing.txt"));
    EXPECT_FALSE(file_status(dir.path())->regular);
}

TEST(FileTest, NamesOutsideTheAnsiCodePageSurvive) {
    TempDir dir;
    const std::string name = "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82-\xE6\x97\xA5.txt";
    const auto path = dir.path() / path_from_utf8(name);
    write_file_atomic(path, "hello");
    EXPECT_EQ(text_of(path), "hello");
    EXPECT_EQ(utf8_of(path.filename()), name);
    bool listed = false;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        listed = listed || utf8_of(entry.path().filename()) == name;
    EXPECT_TRUE(listed);
}

} // namespace
} // namespace launcher::platform
