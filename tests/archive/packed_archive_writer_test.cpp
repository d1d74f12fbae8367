#include "archive/rar_archive.h"
#include "platform/files.h"
#include "publish/packed_archive_writer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

using publish::PackedFormat;
using testing::TempDir;

const std::string kName = "\xD0\x94\xD0\xBE\xD0\xBA\xD1\x83\xD0\xBC\xD0\xB5\xD0\xBD\xD1\x82.txt";

TEST(PackedArchiveWriterTest, ZipNamesAreStoredAsFlaggedUtf8) {
    // Other tools read the name right only when it is UTF-8 with the flag
    // that says so (general purpose bit 11), whatever code page wrote it.
    TempDir dir;
    const auto source = dir.write("source.txt", "content");
    publish::ArchivePacker(PackedFormat::zip).pack(source, kName, dir / "packed.zip");
    const platform::Bytes zip = platform::read_file(dir / "packed.zip");
    ASSERT_GT(zip.size(), 30 + kName.size());
    ASSERT_EQ(std::string(zip.begin(), zip.begin() + 4), "PK\x03\x04");
    const unsigned flags = zip[6] | zip[7] << 8;
    EXPECT_NE(flags & 0x0800, 0u);
    const std::size_t name_length = zip[26] | zip[27] << 8;
    EXPECT_EQ(std::string(zip.begin() + 30, zip.begin() + 30 + static_cast<long>(name_length)),
              kName);
}

class PackedArchiveNameTest : public ::testing::TestWithParam<PackedFormat> {};

TEST_P(PackedArchiveNameTest, TheMemberNameComesBackWhole) {
    TempDir dir;
    const auto source = dir.write("source.txt", "content");
    publish::ArchivePacker(GetParam()).pack(source, kName, dir / "packed.vdp");
    TRAR reader;
    std::vector<std::string> names;
    reader.OnListFile = [&](TRAR&, const TRARFileItem& item) { names.push_back(item.FileName); };
    ASSERT_TRUE(reader.OpenFile(dir / "packed.vdp"));
    EXPECT_EQ(names, std::vector<std::string>{kName});
    ASSERT_TRUE(reader.Extract(dir / "out", false, nullptr));
    EXPECT_EQ(platform::read_file_text(dir / ("out/" + kName)), "content");
}

INSTANTIATE_TEST_SUITE_P(Formats, PackedArchiveNameTest,
                         ::testing::Values(PackedFormat::rar, PackedFormat::sevenzip,
                                           PackedFormat::zip));

} // namespace
} // namespace launcher
