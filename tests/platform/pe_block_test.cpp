#include "loader/pe_image_builder.h"
#include "platform/embedded_block.h"
#include "platform/executable_image.h"
#include "platform/files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace launcher::platform {
namespace {

using testing::BuildResourceSection;
using testing::PeImageBuilder;

constexpr std::uint32_t kResourceRva = 0x3000;

// A small PE file with a code section and a resource section holding the
// "BLANK" block, as windres makes it in a launcher.
struct PeWithBlock {
    explicit PeWithBlock(std::u16string name = u"BLANK",
                         std::uint32_t size = static_cast<std::uint32_t>(kEmbeddedBlockSize),
                         std::uint32_t type = kResourceTypeRcData) {
        builder.sections.push_back({".text", 0x1000, 0x200, std::vector<std::uint8_t>(0x200, 0xC3),
                                    pe::IMAGE_SCN_CNT_CODE | pe::IMAGE_SCN_MEM_EXECUTE});
        auto resources = BuildResourceSection(kResourceRva, type, name, size);
        const auto resource_size = static_cast<std::uint32_t>(resources.size());
        builder.sections.push_back({".rsrc", kResourceRva, resource_size, std::move(resources),
                                    pe::IMAGE_SCN_CNT_INITIALIZED_DATA | pe::IMAGE_SCN_MEM_READ});
        builder.directories[testing::kResourceDirectoryIndex] = {kResourceRva, resource_size};
    }
    Bytes build() const { return builder.Build(); }
    std::size_t block_offset() const {
        return builder.RawDataOffset(1) + testing::kResourceDataOffset;
    }
    PeImageBuilder builder;
};

TEST(PeBlockTest, TheBlankResourceIsTheBlock) {
    const PeWithBlock pe;
    ExecutableImage image(pe.build());
    EXPECT_EQ(image.block().data() - image.bytes().data(),
              static_cast<std::ptrdiff_t>(pe.block_offset()));
    EXPECT_EQ(image.block().size(), kEmbeddedBlockSize);
}

TEST(PeBlockTest, TheNameIsMatchedWithoutRegardToCase) {
    EXPECT_NO_THROW(ExecutableImage(PeWithBlock(u"blank").build()));
}

TEST(PeBlockTest, WritingTheBlockChangesNothingElse) {
    testing::TempDir dir;
    const PeWithBlock pe;
    const Bytes before = pe.build();
    ExecutableImage image(before);
    image.block()[0] = 9;
    image.block()[kEmbeddedBlockSize - 1] = 7;
    image.save(dir / "launcher.exe");
    const Bytes after = read_file(dir / "launcher.exe");
    ASSERT_EQ(after.size(), before.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < after.size(); ++i)
        differing += after[i] != before[i];
    EXPECT_EQ(differing, 2u);
    EXPECT_EQ(after[pe.block_offset()], 9);
    EXPECT_EQ(after[pe.block_offset() + kEmbeddedBlockSize - 1], 7);
}

TEST(PeBlockTest, FilesWithoutAUsableBlockAreRefused) {
    // Another resource name, another type, another size.
    EXPECT_THROW(ExecutableImage(PeWithBlock(u"OTHER").build()), ImageError);
    EXPECT_THROW(ExecutableImage(PeWithBlock(u"BLANK", kEmbeddedBlockSize, 3).build()), ImageError);
    EXPECT_THROW(ExecutableImage(PeWithBlock(u"BLANK", 1000).build()), ImageError);

    // No resource directory at all.
    PeWithBlock without;
    without.builder.directories[testing::kResourceDirectoryIndex] = {0, 0};
    EXPECT_THROW(ExecutableImage(without.build()), ImageError);

    // Cut anywhere up to the block's last byte: refused, never read past the end.
    const PeWithBlock pe;
    const Bytes whole = pe.build();
    for (const std::size_t size :
         {std::size_t{2}, std::size_t{0x40}, std::size_t{0x100}, std::size_t{0x400},
          pe.block_offset() + kEmbeddedBlockSize - 1}) {
        Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_THROW(ExecutableImage(std::move(cut)), ImageError) << size;
    }
}

TEST(PeBlockTest, DirectoryOffsetsThatLeaveTheSectionAreRefused) {
    const PeWithBlock pe;
    Bytes bytes = pe.build();
    const std::size_t root = pe.builder.RawDataOffset(1);
    // The type entry's subdirectory offset points far past the section.
    testing::Put32(bytes, root + 20, 0x80000000 | 0x7FFFFF00);
    EXPECT_THROW(ExecutableImage(std::move(bytes)), ImageError);

    Bytes data_outside = pe.build();
    // The data entry's address points past every section.
    testing::Put32(data_outside, root + 0x48, 0x00F00000);
    EXPECT_THROW(ExecutableImage(std::move(data_outside)), ImageError);
}

TEST(PeBlockTest, TheFormatIsTheFilesNotTheSystems) {
    // Neither ELF nor PE.
    EXPECT_THROW(ExecutableImage(Bytes{'#', '!', '/', 'b'}), ImageError);
    // "MZ" alone is no PE file.
    EXPECT_THROW(ExecutableImage(Bytes{'M', 'Z', 0, 0}), ImageError);
}

} // namespace
} // namespace launcher::platform
