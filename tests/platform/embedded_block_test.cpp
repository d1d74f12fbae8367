#include "platform/embedded_block.h"
#include "platform/executable_image.h"
#include "platform/files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace launcher::platform {
namespace {

TEST(EmbeddedBlockTest, TheRunningExecutableCarriesAnEmptyBlockOfTheFixedSize) {
    EXPECT_EQ(embedded_block().size(), kEmbeddedBlockSize);
    // Nothing was written into this test program's block.
    EXPECT_EQ(FindResourceData("BLANK", kResourceTypeRcData), std::nullopt);
}

TEST(EmbeddedBlockTest, TheBlockIsFoundInTheExecutableFile) {
    const auto image = ExecutableImage::load(executable_path());
    ASSERT_EQ(image.block().size(), kEmbeddedBlockSize);
    EXPECT_TRUE(std::equal(image.block().begin(), image.block().end(), embedded_block().begin()));
}

TEST(EmbeddedBlockTest, WrittenCopyKeepsEverythingOutsideTheBlockAndIsExecutable) {
    testing::TempDir dir;
    auto image = ExecutableImage::load(executable_path());
    const Bytes before = image.bytes();
    image.block()[0] = 3;
    image.block()[4] = 0xAB;
    image.save(dir / "copy");
    const Bytes after = read_file(dir / "copy");
    ASSERT_EQ(after.size(), before.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < after.size(); ++i)
        differing += after[i] != before[i];
    EXPECT_EQ(differing, 2u);
#ifndef _WIN32 // Windows knows programs by their name, not by permission bits
    const auto permissions = std::filesystem::status(dir / "copy").permissions();
    EXPECT_NE(permissions & std::filesystem::perms::owner_exec, std::filesystem::perms::none);
#endif
}

TEST(EmbeddedBlockTest, FilesWithoutTheBlockAreRefused) {
    EXPECT_THROW(ExecutableImage(Bytes{}), ImageError);
    EXPECT_THROW(ExecutableImage(Bytes{'M', 'Z', 0, 0}), ImageError);
    testing::TempDir dir;
    EXPECT_THROW(ExecutableImage::load(dir.write("script", "#!/bin/sh\ntrue\n")), ImageError);
    // A truncated copy of a real executable must fail cleanly, not read past the end.
    Bytes truncated = read_file(executable_path());
    truncated.resize(4096);
    EXPECT_THROW(ExecutableImage(std::move(truncated)), ImageError);
}

TEST(EmbeddedBlockTest, OnlyTheBlankResourceOfTypeRcDataExists) {
    EXPECT_EQ(FindResourceData("other", kResourceTypeRcData), std::nullopt);
    EXPECT_EQ(FindResourceData("blank", 3), std::nullopt);
}

} // namespace
} // namespace launcher::platform
