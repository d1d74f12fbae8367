#include "bmp_fixtures.h"
#include "skin/bmp_decoder.h"
#include "skin/bmp_encoder.h"
#include "skin/skin_blocks.h"
#include "skin_stream_builder.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

using namespace launcher::testing;
using platform::MemoryStream;
using platform::StreamReadError;

TEST(ReadBlockStrings, NonEmptyBlockReplacesTheLines) {
    MemoryStream stream(cat({block(text_bytes("a=1\r\nb=2\nc=3\rd=4")), Bytes{0xAA}}));
    StringList list = {"old"};
    ReadBlockStrings(list, stream);
    EXPECT_EQ(list, (StringList{"a=1", "b=2", "c=3", "d=4"}));
    EXPECT_EQ(stream.position(), stream.size() - 1);
}

TEST(ReadBlockStrings, EmptyBlockKeepsTheLines) {
    for (const std::int64_t length : {0LL, -1LL, -1000000LL}) {
        MemoryStream stream(cat({empty_block(length), text_bytes("next")}));
        StringList list = {"kept"};
        ReadBlockStrings(list, stream);
        EXPECT_EQ(list, StringList{"kept"}) << length;
        EXPECT_EQ(stream.position(), 8u) << length;
    }
}

TEST(ReadBlockStrings, ByteOrderMarkSelectsTheEncodingAndIsDropped) {
    struct Case {
        const char* name;
        Bytes bytes;
    };
    const Case cases[] = {
        {"utf8", cat({Bytes{0xEF, 0xBB, 0xBF}, text_bytes("Left=1\r\nTop=2")})},
        {"utf16le", Bytes{0xFF, 0xFE, 'L',  0, 'e', 0, 'f', 0, 't', 0, '=', 0, '1', 0,
                          '\r', 0,    '\n', 0, 'T', 0, 'o', 0, 'p', 0, '=', 0, '2', 0}},
        {"utf16be", Bytes{0xFE, 0xFF, 0,    'L', 0,   'e', 0,   'f', 0,   't', 0,   '=', 0,
                          '1',  0,    '\n', 0,   'T', 0,   'o', 0,   'p', 0,   '=', 0,   '2'}},
    };
    for (const Case& c : cases) {
        MemoryStream stream(block(c.bytes));
        StringList list;
        ReadBlockStrings(list, stream);
        EXPECT_EQ(list, (StringList{"Left=1", "Top=2"})) << c.name;
    }
}

TEST(ReadBlockBitmap, NonEmptyBlockReplacesAndEmptyKeeps) {
    const Bitmap first = make_test_image(3, 2);
    MemoryStream stream(cat({block(encode_bmp_24(first)), empty_block(0), empty_block(-7)}));
    Bitmap bitmap;
    ReadBlockBitmap(bitmap, stream);
    EXPECT_EQ(bitmap, first);
    ReadBlockBitmap(bitmap, stream);
    ReadBlockBitmap(bitmap, stream);
    EXPECT_EQ(bitmap, first);
    EXPECT_EQ(stream.remaining_size(), 0u);
}

TEST(ReadBlockBitmap, BytesThatAreNotABmpRaiseInvalidImage) {
    MemoryStream stream(block(text_bytes("this is not an image")));
    Bitmap bitmap;
    EXPECT_THROW(ReadBlockBitmap(bitmap, stream), InvalidImageError);
    EXPECT_TRUE(bitmap.empty());
}

TEST(SkipBlock, PassesOverTheBlockByItsLength) {
    MemoryStream stream(cat({block(text_bytes("abc")), empty_block(-3), text_bytes("z")}));
    SkipBlock(stream);
    EXPECT_EQ(stream.position(), 11u);
    SkipBlock(stream);
    EXPECT_EQ(stream.position(), 19u);
}

// Every block reader refuses a length that runs past the data or a length
// field that is itself cut short.
TEST(BlockReaders, TruncatedDataRaisesReadError) {
    const Bytes past_end = cat({i64(10), text_bytes("abc")});
    const Bytes huge = cat({i64(std::numeric_limits<std::int64_t>::max()), text_bytes("abc")});
    const Bytes short_length = Bytes{5, 0, 0};
    for (const Bytes& bytes : {past_end, huge, short_length}) {
        StringList list;
        Bitmap bitmap;
        MemoryStream a(bytes), b(bytes), c(bytes);
        EXPECT_THROW(ReadBlockStrings(list, a), StreamReadError);
        EXPECT_THROW(ReadBlockBitmap(bitmap, b), StreamReadError);
        EXPECT_THROW(SkipBlock(c), StreamReadError);
        EXPECT_TRUE(list.empty());
    }
}

} // namespace
} // namespace launcher
