#include "patch/block_index.h"
#include "patch/rolling_checksum.h"
#include "patch_fixtures.h"

#include <gtest/gtest.h>

namespace launcher::patch {
namespace {

using testing::IndexOf;
using testing::RandomBytes;

std::span<const std::uint8_t> bytes_of(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(RollingChecksum, RollingEqualsSummingTheWindowAfresh) {
    const auto data = RandomBytes(300, 1);
    constexpr std::size_t kWindow = 37;
    RollingChecksum rolling(std::span<const std::uint8_t>(data).first(kWindow));
    for (std::size_t at = 1; at + kWindow <= data.size(); ++at) {
        rolling.roll(data[at - 1], data[at + kWindow - 1]);
        ASSERT_EQ(rolling.value(),
                  RollingChecksum(std::span<const std::uint8_t>(data).subspan(at, kWindow)).value())
            << at;
    }
}

TEST(BlockSize, GrowsWithTheFileWithinItsBounds) {
    EXPECT_EQ(ChooseBlockSize(0), kSmallestBlock);
    EXPECT_EQ(ChooseBlockSize(8u << 20), 8u << 10);
    EXPECT_EQ(ChooseBlockSize(256u << 20), 32u << 10);
    EXPECT_EQ(ChooseBlockSize(std::uint64_t{4} << 30), 128u << 10);
    EXPECT_EQ(ChooseBlockSize(std::uint64_t{1} << 40), kLargestBlock);
    // Beyond what kLargestBlock covers in kMostBlocks, blocks grow further.
    EXPECT_LT((std::uint64_t{1} << 45) / ChooseBlockSize(std::uint64_t{1} << 45), kMostBlocks);
}

TEST(BlockIndexFormat, ReadsBackWhatItWrites) {
    for (const std::size_t size : {std::size_t{0}, std::size_t{4096}, std::size_t{10000}}) {
        const auto content = RandomBytes(size, 2);
        BlockIndex index = IndexOf(content, 4096, 97);
        index.executable = size == 4096;
        std::string why;
        const auto back = ParseBlockIndex(bytes_of(BlockIndexBytes(index)), why);
        ASSERT_TRUE(back) << size << ": " << why;
        EXPECT_EQ(*back, index);
    }
}

TEST(BlockIndexFormat, RefusesDamage) {
    const std::string good = BlockIndexBytes(IndexOf(RandomBytes(10000, 3), 4096, 97));
    const auto replaced = [&](std::string_view from, std::string_view to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"another version", replaced("index 1\n", "index 2\n")},
        {"cut short", good.substr(0, good.size() - 1)},
        {"a byte more", good + "x"},
        {"header only", good.substr(0, good.find("blocks 3\n") + 9)},
        {"more blocks than the size needs", replaced("blocks 3\n", "blocks 4\n")},
        {"fewer blocks", replaced("blocks 3\n", "blocks 2\n")},
        {"block size no power of two", replaced("block-size 4096", "block-size 4097")},
        {"block size too small", replaced("block-size 4096", "block-size 2048")},
        {"leading zero", replaced("block-size 4096", "block-size 04096")},
        {"negative offset", replaced("data-offset 97", "data-offset -97")},
        {"a huge count", replaced("file-size 10000\n", "file-size 4611686018427387904\n")},
        {"an executable mark that is no 0 or 1", replaced("executable 0", "executable 2")},
        {"upper-case hash", replaced(std::string(32, 'a'), std::string(32, 'A'))},
        {"fields swapped",
         replaced("file-size 10000\ndata-offset 97", "data-offset 97\nfile-size 10000")},
    };
    for (const Case& c : cases) {
        std::string why;
        EXPECT_FALSE(ParseBlockIndex(bytes_of(c.bytes), why)) << c.what;
        EXPECT_FALSE(why.empty()) << c.what;
    }
}

} // namespace
} // namespace launcher::patch
