#include "bmp_fixtures.h"
#include "skin/bmp_decoder.h"
#include "skin/bmp_encoder.h"
#include "skin_stream_builder.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::BmpFixture;
using testing::make_bmp;
using testing::make_test_image;

// Names parameterised cases after their `name` field.
struct CaseName {
    template <typename Info>
    std::string operator()(const Info& param_info) const {
        return param_info.param.name;
    }
};
constexpr CaseName case_name;

struct DirectCase {
    const char* name;
    int bits;
    bool top_down;
    int width;
    int height;
};

class DirectBmp : public ::testing::TestWithParam<DirectCase> {};

TEST_P(DirectBmp, DecodesEveryPixelInPlace) {
    const DirectCase& c = GetParam();
    const Bitmap image = make_test_image(c.width, c.height);
    BmpFixture fixture;
    fixture.bits = c.bits;
    fixture.top_down = c.top_down;
    fixture.image = image;
    // 32-bit files without alpha (all zero) come out opaque.
    if (c.bits == 32) {
        Bitmap no_alpha(c.width, c.height);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                no_alpha.set_pixel(x, y, image.pixel(x, y) & 0x00FFFFFF);
        fixture.image = no_alpha;
    }
    EXPECT_EQ(decode_bmp(make_bmp(fixture)), image);
}

INSTANTIATE_TEST_SUITE_P(Layouts, DirectBmp,
                         ::testing::Values(DirectCase{"bottom_up_24", 24, false, 3, 2},
                                           DirectCase{"top_down_24", 24, true, 3, 2},
                                           DirectCase{"padded_rows_24", 24, false, 5, 3},
                                           DirectCase{"bottom_up_32", 32, false, 3, 2},
                                           DirectCase{"top_down_32", 32, true, 4, 3},
                                           DirectCase{"one_pixel_24", 24, false, 1, 1}),
                         case_name);

TEST(BmpDecoder, KeepsAlphaOf32BitImageThatCarriesIt) {
    Bitmap image(2, 1);
    image.set_pixel(0, 0, 0x80102030);
    image.set_pixel(1, 0, 0xFF405060);
    BmpFixture fixture;
    fixture.bits = 32;
    fixture.image = image;
    EXPECT_EQ(decode_bmp(make_bmp(fixture)), image);
}

struct IndexedCase {
    const char* name;
    int bits;
    bool top_down;
    int width;
};

class IndexedBmp : public ::testing::TestWithParam<IndexedCase> {};

TEST_P(IndexedBmp, LooksUpThePalette) {
    const IndexedCase& c = GetParam();
    const std::vector<std::uint32_t> palette = {0xFF000000, 0xFFFF0000, 0xFF00FF00,
                                                0xFF0000FF, 0xFF123456, 0xFFABCDEF};
    const int colours = c.bits == 1 ? 2 : 6;
    BmpFixture fixture;
    fixture.bits = c.bits;
    fixture.top_down = c.top_down;
    fixture.width = c.width;
    fixture.height = 3;
    fixture.palette.assign(palette.begin(), palette.begin() + colours);
    Bitmap expected(c.width, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < c.width; ++x) {
            const auto index = static_cast<std::uint8_t>((x + 2 * y) % colours);
            fixture.indices.push_back(index);
            expected.set_pixel(x, y, palette[index]);
        }
    EXPECT_EQ(decode_bmp(make_bmp(fixture)), expected);
}

INSTANTIATE_TEST_SUITE_P(Layouts, IndexedBmp,
                         ::testing::Values(IndexedCase{"bits8_bottom_up", 8, false, 5},
                                           IndexedCase{"bits8_top_down", 8, true, 5},
                                           IndexedCase{"bits4_bottom_up", 4, false, 7},
                                           IndexedCase{"bits4_top_down", 4, true, 3},
                                           IndexedCase{"bits1_bottom_up", 1, false, 11},
                                           IndexedCase{"bits1_top_down", 1, true, 33}),
                         case_name);

TEST(BmpDecoder, IndexBeyondThePaletteIsBlack) {
    BmpFixture fixture;
    fixture.bits = 8;
    fixture.width = 2;
    fixture.height = 1;
    fixture.palette = {0xFFFFFFFF};
    fixture.indices = {0, 200};
    const Bitmap image = decode_bmp(make_bmp(fixture));
    EXPECT_EQ(image.pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(image.pixel(1, 0), 0xFF000000u);
}

TEST(BmpEncoder, RoundTripsThroughTheDecoder) {
    const Bitmap image = make_test_image(7, 5);
    const platform::Bytes file = encode_bmp_24(image);
    EXPECT_EQ(file.size(), 14u + 40u + 24u * 5u);
    EXPECT_EQ(decode_bmp(file), image);
}

// Patches a little-endian field of a valid 24-bit 2x2 file.
platform::Bytes patched(std::size_t at, std::uint32_t value, int width) {
    platform::Bytes file = encode_bmp_24(make_test_image(2, 2));
    for (int i = 0; i < width; ++i)
        file[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    return file;
}

platform::Bytes truncated(std::size_t keep) {
    platform::Bytes file = encode_bmp_24(make_test_image(2, 2));
    file.resize(keep);
    return file;
}

struct InvalidCase {
    const char* name;
    platform::Bytes bytes;
};

class InvalidBmp : public ::testing::TestWithParam<InvalidCase> {};

TEST_P(InvalidBmp, RaisesInvalidImageError) {
    EXPECT_THROW(decode_bmp(GetParam().bytes), InvalidImageError);
}

INSTANTIATE_TEST_SUITE_P(
    Damage, InvalidBmp,
    ::testing::Values(
        InvalidCase{"empty", {}},
        InvalidCase{"not_bm", testing::text_bytes("PK\x03\x04 hello world!")},
        InvalidCase{"wrong_magic", patched(0, 'X', 1)}, InvalidCase{"header_cut", truncated(30)},
        InvalidCase{"pixels_cut", truncated(14 + 40 + 10)},
        InvalidCase{"odd_header_size", patched(14, 41, 4)},
        InvalidCase{"zero_width", patched(18, 0, 4)}, InvalidCase{"zero_height", patched(22, 0, 4)},
        InvalidCase{"most_negative_height", patched(22, 0x80000000u, 4)},
        InvalidCase{"huge_width", patched(18, 0x7FFFFFFF, 4)},
        InvalidCase{"two_planes", patched(26, 2, 2)}, InvalidCase{"seven_bits", patched(28, 7, 2)},
        InvalidCase{"run_length_8", patched(30, 1, 4)},
        InvalidCase{"jpeg_inside", patched(30, 4, 4)},
        InvalidCase{"offset_past_end", patched(10, 0x10000, 4)},
        InvalidCase{"offset_inside_header", patched(10, 20, 4)}),
    case_name);

} // namespace
} // namespace launcher
