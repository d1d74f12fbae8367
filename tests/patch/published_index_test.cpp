#include "catalogue/file_catalogue.h"
#include "catalogue/md5.h"
#include "patch/block_index.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/utf8_path.h"
#include "publish/release_publisher.h"
#include "support/temp_dir.h"
#include "update/packed_files.h"

#include <fstream>

#include <gtest/gtest.h>

namespace launcher::patch {
namespace {

using launcher::testing::TempDir;

std::string big_content(std::size_t size, char seed) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>(seed + (i * 7919 % 251));
    return text;
}

class PublishedIndexTest : public ::testing::Test {
protected:
    PublishedIndexTest() {
        dir.write("game/data/world.pak", big_content(300000, 'a'));
        dir.write("game/small.txt", "small");
        options.game_dir = dir / "game";
        options.out_dir = dir / "server";
        options.block_index_from = 100000;
    }

    std::filesystem::path index_file(std::string_view name) const {
        return dir / ("server/" + std::string(name) + ".vdp.idx");
    }

    std::optional<BlockIndex> served_index(std::string_view name) const {
        const auto path = index_file(name);
        if (!std::filesystem::exists(path))
            return std::nullopt;
        const std::string bytes = platform::read_file_text(path);
        std::string why;
        auto index = ParseBlockIndex(
            {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, why);
        EXPECT_TRUE(index) << why;
        return index;
    }

    TFileRecord served_record(const std::string& name) const {
        TFileList catalogue(true);
        std::string text = platform::read_file_text(dir / "server/updater.lst");
        std::vector<std::string> lines = platform::split_lines(text);
        catalogue.LoadFromStrings(lines);
        const TFileItem* item = catalogue.GetItemByName(name);
        EXPECT_NE(item, nullptr) << name;
        return item ? item->Content : TFileRecord{};
    }

    TempDir dir;
    publish::PublishOptions options;
};

TEST_F(PublishedIndexTest, ALargeStoredFileGetsAnIndexThatPointsAtItsBytes) {
    const auto summary = publish::PublishRelease(options);
    EXPECT_EQ(summary.block_indexes, 1u);
    EXPECT_FALSE(std::filesystem::exists(index_file("small.txt")));
    const auto index = served_index("data/world.pak");
    ASSERT_TRUE(index);
    const TFileRecord record = served_record("\\data\\world.pak");
    EXPECT_EQ(index->archive_md5, platform::to_lower_ascii(record.HashPacked));
    EXPECT_EQ(index->content_md5, platform::to_lower_ascii(record.Hash));
    EXPECT_EQ(index->file_size, 300000u);
    EXPECT_EQ(index->block_size, ChooseBlockSize(300000));
    EXPECT_FALSE(index->executable);

    const std::string archive = platform::read_file_text(dir / "server/data/world.pak.vdp");
    EXPECT_EQ(archive.substr(static_cast<std::size_t>(index->data_offset), 300000),
              big_content(300000, 'a'));

    // Published again unchanged, the index stays as it is.
    EXPECT_EQ(publish::PublishRelease(options).block_indexes, 0u);
    EXPECT_TRUE(served_index("data/world.pak"));
}

TEST_F(PublishedIndexTest, AnIndexFollowsItsFileAndGoesWithIt) {
    publish::PublishRelease(options);
    dir.write("game/data/world.pak", big_content(300001, 'b'));
    EXPECT_EQ(publish::PublishRelease(options).block_indexes, 1u);
    const auto index = served_index("data/world.pak");
    ASSERT_TRUE(index);
    EXPECT_EQ(index->archive_md5,
              platform::to_lower_ascii(served_record("\\data\\world.pak").HashPacked));

    // A damaged index is written again.
    dir.write("server/data/world.pak.vdp.idx", "launcher-block-index 1\n");
    EXPECT_EQ(publish::PublishRelease(options).block_indexes, 1u);
    EXPECT_TRUE(served_index("data/world.pak"));

    dir.write("game/data/world.pak", "now small");
    publish::PublishRelease(options);
    EXPECT_FALSE(std::filesystem::exists(index_file("data/world.pak")));

    dir.write("game/data/world.pak", big_content(300000, 'c'));
    publish::PublishRelease(options);
    ASSERT_TRUE(served_index("data/world.pak"));
    std::filesystem::remove(dir / "game/data/world.pak");
    publish::PublishRelease(options);
    EXPECT_FALSE(std::filesystem::exists(index_file("data/world.pak")));
}

TEST_F(PublishedIndexTest, CompressedArchivesAndAThresholdOfZeroGetNone) {
    for (const auto format : {publish::PackedFormat::sevenzip, publish::PackedFormat::zip}) {
        TempDir server;
        options.out_dir = server / "out";
        options.format = format;
        EXPECT_EQ(publish::PublishRelease(options).block_indexes, 0u);
        EXPECT_FALSE(std::filesystem::exists(server / "out/data/world.pak.vdp.idx"));
    }
    options.out_dir = dir / "server";
    options.format = publish::PackedFormat::rar;
    publish::PublishRelease(options);
    options.block_index_from = 0;
    publish::PublishRelease(options);
    EXPECT_FALSE(std::filesystem::exists(index_file("data/world.pak")));
}

} // namespace
} // namespace launcher::patch
