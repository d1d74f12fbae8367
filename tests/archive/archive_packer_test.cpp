// One read of the game file, one write of the archive, and both hashes right.
#include "catalogue/md5.h"
#include "platform/file.h"
#include "platform/files.h"
#include "publish/packed_archive_writer.h"
#include "support/temp_dir.h"
#include "update/packed_files.h"

#include <random>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher {
namespace {

using publish::ArchivePacker;
using publish::PackedFormat;
using testing::TempDir;

std::string random_bytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    std::mt19937 random(seed);
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

struct PackCase {
    PackedFormat format;
    std::size_t size;
    std::size_t whole_file_limit; // below `size`: the file is read twice for its CRC
};

class ArchivePackerTest : public ::testing::TestWithParam<PackCase> {};

TEST_P(ArchivePackerTest, HashesAreThoseOfTheFileAndOfTheArchiveWritten) {
    TempDir dir;
    const auto content = random_bytes(GetParam().size, 7);
    const auto source = dir.write("game/data/Файл.bin", content);
    ArchivePacker packer(GetParam().format, GetParam().whole_file_limit);
    const auto archive = dir / "Файл.bin.vdp";

    const auto packed = packer.pack(source, "Файл.bin", archive);
    EXPECT_EQ(packed.content_hash, MD5File(source));
    EXPECT_EQ(packed.packed_hash, MD5File(archive));
    EXPECT_EQ(packed.archive_size, std::filesystem::file_size(archive));
    EXPECT_EQ(packed.size, static_cast<std::int64_t>(content.size()));

    UnpackArchive(archive, dir / "install", dir.path(),
                  {"Файл.bin", packed.content_hash, packed.size});
    EXPECT_EQ(platform::read_file_text(dir / "install/Файл.bin"), content);

    // The buffer kept from a larger file does not leak into a smaller one.
    const auto small = dir.write("game/small.txt", "small");
    const auto again = packer.pack(small, "small.txt", dir / "small.txt.vdp");
    EXPECT_EQ(again.packed_hash, MD5File(dir / "small.txt.vdp"));
    UnpackArchive(dir / "small.txt.vdp", dir / "install", dir.path(),
                  {"small.txt", again.content_hash, again.size});
    EXPECT_EQ(platform::read_file_text(dir / "install/small.txt"), "small");
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ArchivePackerTest,
    ::testing::Values(PackCase{PackedFormat::rar, 300000, ArchivePacker::kWholeFileLimit},
                      PackCase{PackedFormat::rar, 5u << 20, ArchivePacker::kWholeFileLimit},
                      PackCase{PackedFormat::rar, 3000000, 65536},
                      PackCase{PackedFormat::rar, 0, ArchivePacker::kWholeFileLimit},
                      PackCase{PackedFormat::sevenzip, 300000, ArchivePacker::kWholeFileLimit},
                      PackCase{PackedFormat::zip, 3000000, ArchivePacker::kWholeFileLimit}));

TEST(ArchivePackerLockTest, AFileLockedByAWriterIsNotPacked) {
    TempDir dir;
    const auto source = dir.write("game/busy.bin", "being written");
    platform::File writer(source, platform::File::Mode::ReadWrite);
    ASSERT_TRUE(writer.try_lock(platform::File::Lock::Exclusive));
    ArchivePacker packer(PackedFormat::rar);
    EXPECT_THROW(packer.pack(source, "busy.bin", dir / "busy.bin.vdp"), platform::FileError);
}

} // namespace
} // namespace launcher
