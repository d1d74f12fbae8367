#include "patch/block_matcher.h"
#include "patch_fixtures.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace launcher::patch {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::IndexOf;
using testing::RandomBytes;

constexpr std::uint32_t kBlock = 64;

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes slice(const Bytes& bytes, std::size_t from, std::size_t length) {
    return {bytes.begin() + static_cast<std::ptrdiff_t>(from),
            bytes.begin() + static_cast<std::ptrdiff_t>(from + length)};
}

const Bytes kBase = RandomBytes(kBlock * 8 + 10, 7); // 8 whole blocks and a short one
const Bytes kOther = RandomBytes(kBlock * 4, 8);
const Bytes kBlockA = RandomBytes(kBlock, 9);

struct Case {
    const char* what;
    Bytes old_file;
    Bytes new_file;
    std::vector<std::size_t> missing; // the new file's blocks not found locally
};

const Case kCases[] = {
    {"the same file", kBase, kBase, {}},
    {"a byte inserted at the start", kBase, join({Bytes{1}, kBase}), {0}},
    {"bytes removed at the start", join({Bytes(5, 3), kBase}), kBase, {}},
    {"a block overwritten in the middle",
     kBase,
     join({slice(kBase, 0, kBlock * 3), slice(kOther, 0, kBlock),
           slice(kBase, kBlock * 4, kBase.size() - kBlock * 4)}),
     {3}},
    {"bytes removed in the middle shift the rest",
     kBase,
     join({slice(kBase, 0, kBlock * 2 + 20),
           slice(kBase, kBlock * 2 + 37, kBase.size() - kBlock * 2 - 37)}),
     {2}},
    {"a block the new file holds twice",
     join({kBlockA, kOther}),
     join({kBlockA, kOther, kBlockA}),
     {}},
    {"blocks that repeat over and over", Bytes(kBlock * 20 + 3, 0), Bytes(kBlock * 9 + 5, 0), {}},
    {"the short last block moved to the front",
     join({slice(kBase, kBlock * 8, 10), kOther}),
     kBase,
     {0, 1, 2, 3, 4, 5, 6, 7}},
    {"an old file shorter than one block", slice(kBase, 0, 10), slice(kBase, 0, 10), {}},
    {"an empty old file", {}, kBase, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
    {"nothing in common", kOther, kBase, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
    {"an empty new file", kBase, {}, {}},
};

TEST(BlockMatcher, FindsEveryBlockTheOldFileHolds) {
    for (const Case& c : kCases) {
        const BlockIndex index = IndexOf(c.new_file, kBlock);
        const auto found = FindLocalBlocks(index, c.old_file);
        ASSERT_EQ(found.size(), index.blocks.size()) << c.what;
        std::vector<std::size_t> missing;
        for (std::size_t block = 0; block < found.size(); ++block) {
            if (!found[block]) {
                missing.push_back(block);
                continue;
            }
            // Wherever it was found, the old file holds the block's bytes.
            const std::size_t length = index.block_length(block);
            ASSERT_LE(*found[block] + length, c.old_file.size()) << c.what;
            EXPECT_TRUE(std::equal(
                c.new_file.begin() + static_cast<std::ptrdiff_t>(index.block_offset(block)),
                c.new_file.begin() +
                    static_cast<std::ptrdiff_t>(index.block_offset(block) + length),
                c.old_file.begin() + static_cast<std::ptrdiff_t>(*found[block])))
                << c.what << ", block " << block;
        }
        EXPECT_EQ(missing, c.missing) << c.what;
    }
}

TEST(BlockMatcher, ReadsTheOldFileInPiecesAcrossTheirBorders) {
    // A reader that gives a few bytes at a time: the matcher must not take
    // a short read for the end of the file.
    const Bytes old_file = join({Bytes{9, 9, 9}, kBase});
    const BlockIndex index = IndexOf(kBase, kBlock);
    const OldFileReader trickle = [&](std::uint64_t offset, std::span<std::uint8_t> buffer) {
        const std::size_t n = std::min<std::size_t>(
            {buffer.size(), std::size_t{7}, old_file.size() - static_cast<std::size_t>(offset)});
        std::copy_n(old_file.begin() + static_cast<std::ptrdiff_t>(offset), n, buffer.begin());
        return n;
    };
    const auto found = FindLocalBlocks(index, old_file.size(), trickle);
    for (std::size_t block = 0; block < found.size(); ++block)
        EXPECT_EQ(found[block], index.block_offset(block) + 3) << block;
}

TEST(BlockMatcher, AnOldFileShorterThanItsSizeFindsWhatIsThere) {
    const BlockIndex index = IndexOf(kBase, kBlock);
    const OldFileReader half = [&](std::uint64_t offset, std::span<std::uint8_t> buffer) {
        const std::size_t end = kBlock * 3;
        if (offset >= end)
            return std::size_t{0};
        const std::size_t n = std::min<std::size_t>(buffer.size(), end - offset);
        std::copy_n(kBase.begin() + static_cast<std::ptrdiff_t>(offset), n, buffer.begin());
        return n;
    };
    const auto found = FindLocalBlocks(index, kBase.size(), half);
    EXPECT_EQ(found[0], 0u);
    EXPECT_FALSE(found[5]);
}

} // namespace
} // namespace launcher::patch
