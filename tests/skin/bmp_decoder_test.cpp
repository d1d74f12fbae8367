#include "bmp_fixtures.h"
#include "skin/bmp_decoder.h"
#include "skin/bmp_encoder.h"
#include "skin_stream_builder.h"

#include <bit>
#include <string>

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::BmpFixture;
using testing::make_bmp;
using testing::make_test_image;
using testing::quantised;

// Equal images, or the first pixel where they differ.
::testing::AssertionResult same_pixels(const Bitmap& seen, const Bitmap& expected) {
    if (seen.width() != expected.width() || seen.height() != expected.height())
        return ::testing::AssertionFailure()
               << seen.width() << "x" << seen.height() << " instead of " << expected.width() << "x"
               << expected.height();
    for (int y = 0; y < seen.height(); ++y)
        for (int x = 0; x < seen.width(); ++x)
            if (seen.pixel(x, y) != expected.pixel(x, y))
                return ::testing::AssertionFailure()
                       << std::hex << "pixel (" << std::dec << x << ", " << y << ") is 0x"
                       << std::hex << seen.pixel(x, y) << " instead of 0x" << expected.pixel(x, y);
    return ::testing::AssertionSuccess();
}

// Names parameterised cases after their `name` field.
struct CaseName {
    template <typename Info>
    std::string operator()(const Info& param_info) const {
        return param_info.param.name;
    }
};
constexpr CaseName case_name;

// The test image with a different opacity at every pixel, 0 and 255
// included, so that a decoder that takes padding for alpha is caught.
Bitmap with_varied_alpha(Bitmap image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const auto alpha = static_cast<std::uint8_t>(x == 0 && y == 0 ? 0 : 90 * x + 61 * y);
            image.set_pixel(x, y, (image.pixel(x, y) & 0x00FFFFFF) | std::uint32_t{alpha} << 24);
        }
    return image;
}

// What a pixel shows after the channels went through their masks.
std::uint32_t expected_pixel(std::uint32_t pixel, const BmpMasks& masks, int bits,
                             bool alpha_shown) {
    const auto width = [&](std::uint32_t mask) { return bits == 24 ? 8 : std::popcount(mask); };
    const auto channel = [&](int shift, std::uint32_t mask) {
        return quantised(static_cast<std::uint8_t>(pixel >> shift), width(mask));
    };
    return argb(channel(16, masks.red), channel(8, masks.green), channel(0, masks.blue),
                alpha_shown ? channel(24, masks.alpha) : 0xFF);
}

struct TruecolourCase {
    const char* name;
    int bits;
    int header_size;
    std::uint32_t compression;
    BmpMasks masks; // all zero: the plain layout
    std::uint32_t alpha_mask_field;
    bool alpha_shown;
    int palette_colours = 0; // a colour table the decoder must pass over
    std::size_t gap = 0;
    bool top_down = false;
    int width = 3;
    int height = 2;
};

class TruecolourBmp : public ::testing::TestWithParam<TruecolourCase> {};

TEST_P(TruecolourBmp, DecodesEveryPixelExactly) {
    const TruecolourCase& c = GetParam();
    BmpFixture fixture;
    fixture.bits = c.bits;
    fixture.header_size = c.header_size;
    fixture.compression = c.compression;
    fixture.masks = c.masks;
    fixture.alpha_mask_field = c.alpha_mask_field;
    fixture.top_down = c.top_down;
    fixture.gap = c.gap;
    for (int i = 0; i < c.palette_colours; ++i)
        fixture.palette.push_back(argb(static_cast<std::uint8_t>(i * 50), 1, 2));
    fixture.image = with_varied_alpha(make_test_image(c.width, c.height));

    const Bitmap decoded = decode_bmp(make_bmp(fixture));
    ASSERT_EQ(decoded.width(), c.width);
    ASSERT_EQ(decoded.height(), c.height);
    const BmpMasks masks = testing::packing_masks(fixture);
    Bitmap expected(c.width, c.height);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
            expected.set_pixel(
                x, y, expected_pixel(fixture.image.pixel(x, y), masks, c.bits, c.alpha_shown));
    EXPECT_TRUE(same_pixels(decoded, expected));
}

constexpr BmpMasks kRgb565{0xF800, 0x07E0, 0x001F};
constexpr BmpMasks kArgb1555{0x7C00, 0x03E0, 0x001F, 0x8000};
constexpr BmpMasks kXrgb8888{0xFF0000, 0xFF00, 0xFF, 0xFF000000};
constexpr BmpMasks kXbgr8888{0xFF, 0xFF00, 0xFF0000, 0xFF000000};
constexpr BmpMasks kRgba8888{0xFF000000, 0xFF0000, 0xFF00, 0xFF};

INSTANTIATE_TEST_SUITE_P(
    Layouts, TruecolourBmp,
    ::testing::Values(
        TruecolourCase{"bits24_bottom_up", 24, 40, 0, {}, 0, false},
        TruecolourCase{"bits24_top_down", 24, 40, 0, {}, 0, false, 0, 0, true},
        TruecolourCase{"bits24_padded_rows", 24, 40, 0, {}, 0, false, 0, 0, false, 5, 3},
        TruecolourCase{"bits24_one_pixel", 24, 40, 0, {}, 0, false, 0, 0, false, 1, 1},
        TruecolourCase{"bits24_with_palette", 24, 40, 0, {}, 0, false, 4},
        TruecolourCase{"bits24_gap_before_pixels", 24, 40, 0, {}, 0, false, 0, 6},
        TruecolourCase{"bits24_core_header", 24, 12, 0, {}, 0, false},
        TruecolourCase{"bits24_v5_header", 24, 124, 0, {}, 0, false},
        TruecolourCase{"bits16_rgb555", 16, 40, 0, {}, 0, false, 0, 0, false, 5, 3},
        TruecolourCase{"bits16_rgb555_with_palette", 16, 40, 0, {}, 0, false, 2, 2},
        TruecolourCase{"bits16_rgb565_bitfields", 16, 40, 3, kRgb565, 0, false},
        TruecolourCase{"bits16_argb1555_v4", 16, 108, 3, kArgb1555, 0x8000, true},
        TruecolourCase{"bits32_fourth_byte_is_padding", 32, 40, 0, {}, 0, false},
        TruecolourCase{"bits32_padding_top_down", 32, 40, 0, {}, 0, false, 0, 0, true, 4, 3},
        TruecolourCase{"bits32_with_palette", 32, 40, 0, {}, 0, false, 3, 4},
        TruecolourCase{"bits32_bitfields_without_alpha", 32, 40, 3, kXrgb8888, 0, false},
        TruecolourCase{"bits32_bitfields_bgr", 32, 40, 3, kXbgr8888, 0, false},
        TruecolourCase{"bits32_v3_alpha_mask", 32, 56, 3, kXrgb8888, 0xFF000000, true},
        TruecolourCase{"bits32_v4_alpha_mask", 32, 108, 3, kXrgb8888, 0xFF000000, true},
        TruecolourCase{"bits32_v4_alpha_in_low_byte", 32, 108, 3, kRgba8888, 0xFF, true},
        TruecolourCase{"bits32_v5_plain_alpha_mask", 32, 124, 0, {}, 0xFF000000, true},
        TruecolourCase{"bits32_v5_without_alpha_mask", 32, 124, 3, kXrgb8888, 0, false},
        TruecolourCase{"bits32_v5_plain_without_alpha_mask", 32, 124, 0, {}, 0, false},
        TruecolourCase{"bits32_v5_plain_mask_on_colour_bits", 32, 124, 0, {}, 0xFF, false}),
    case_name);

TEST(BmpDecoder, AlphaMaskWithEveryPixelTransparentShowsTheImageOpaque) {
    // Tools that always write an alpha mask leave it all zero for pictures
    // without opacity; such a picture is meant to be seen.
    BmpFixture fixture;
    fixture.bits = 32;
    fixture.header_size = 124;
    fixture.alpha_mask_field = 0xFF000000;
    Bitmap image = make_test_image(2, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            image.set_pixel(x, y, image.pixel(x, y) & 0x00FFFFFF);
    fixture.image = image;
    EXPECT_TRUE(same_pixels(decode_bmp(make_bmp(fixture)), make_test_image(2, 2)));
}

const std::vector<std::uint32_t> kPalette = {
    0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF123456, 0xFFABCDEF, 0xFF102030, 0xFF405060,
    0xFF708090, 0xFFA0B0C0, 0xFFD0E0F0, 0xFF111111, 0xFF222222, 0xFF333333, 0xFF444444, 0xFF555555};

struct IndexedCase {
    const char* name;
    int bits;
    bool top_down;
    int width;
    int header_size = 40;
    bool count_given = true; // false: the colour count field is 0
};

class IndexedBmp : public ::testing::TestWithParam<IndexedCase> {};

TEST_P(IndexedBmp, LooksUpThePalette) {
    const IndexedCase& c = GetParam();
    const int colours = c.bits == 1 ? 2 : 6;
    BmpFixture fixture;
    fixture.bits = c.bits;
    fixture.top_down = c.top_down;
    fixture.header_size = c.header_size;
    fixture.width = c.width;
    fixture.height = 3;
    fixture.palette.assign(kPalette.begin(), kPalette.begin() + colours);
    if (!c.count_given)
        fixture.colours_used_field = 0;
    Bitmap expected(c.width, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < c.width; ++x) {
            const auto index = static_cast<std::uint8_t>((x + 2 * y) % colours);
            fixture.indices.push_back(index);
            expected.set_pixel(x, y, kPalette[index]);
        }
    EXPECT_TRUE(same_pixels(decode_bmp(make_bmp(fixture)), expected));
}

INSTANTIATE_TEST_SUITE_P(Layouts, IndexedBmp,
                         ::testing::Values(IndexedCase{"bits8_bottom_up", 8, false, 5},
                                           IndexedCase{"bits8_top_down", 8, true, 5},
                                           IndexedCase{"bits8_core_header", 8, false, 5, 12},
                                           IndexedCase{"bits8_short_palette_without_count", 8,
                                                       false, 5, 40, false},
                                           IndexedCase{"bits4_bottom_up", 4, false, 7},
                                           IndexedCase{"bits4_top_down", 4, true, 3},
                                           IndexedCase{"bits1_bottom_up", 1, false, 11},
                                           IndexedCase{"bits1_top_down", 1, true, 33}),
                         case_name);

struct RunLengthCase {
    const char* name;
    int bits; // 8: RLE8, 4: RLE4
    int width;
    int height;
    platform::Bytes codes;
    // The rows from the top, one hexadecimal digit per palette index; '.'
    // for a pixel the codes never set (it shows the first colour).
    std::vector<std::string> rows;
};

class RunLengthBmp : public ::testing::TestWithParam<RunLengthCase> {};

TEST_P(RunLengthBmp, ExpandsTheCodesExactly) {
    const RunLengthCase& c = GetParam();
    BmpFixture fixture;
    fixture.bits = c.bits;
    fixture.compression = c.bits == 8 ? 1 : 2;
    fixture.width = c.width;
    fixture.height = c.height;
    fixture.palette = kPalette;
    fixture.run_length_codes = c.codes;
    Bitmap expected(c.width, c.height);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            const char digit =
                c.rows.at(static_cast<std::size_t>(y)).at(static_cast<std::size_t>(x));
            const int index = digit == '.' ? 0 : std::stoi(std::string(1, digit), nullptr, 16);
            expected.set_pixel(x, y, kPalette[static_cast<std::size_t>(index)]);
        }
    EXPECT_TRUE(same_pixels(decode_bmp(make_bmp(fixture)), expected));
}

INSTANTIATE_TEST_SUITE_P(
    Codes, RunLengthBmp,
    ::testing::Values(
        // Bottom row first: a run, an end of line, an odd absolute run with its
        // padding byte, a delta that skips a pixel, the end of the bitmap.
        RunLengthCase{
            "rle8_runs_absolute_delta",
            8,
            4,
            3,
            {3, 1, 1, 2, 0, 0, 0, 3, 4, 5, 6, 0, 1, 7, 0, 0, 1, 9, 0, 2, 1, 0, 1, 10, 0, 1},
            {"9.A.", "4567", "1112"}},
        RunLengthCase{
            "rle8_even_absolute_run_has_no_padding", 8, 4, 1, {0, 4, 1, 2, 3, 4, 0, 1}, {"1234"}},
        RunLengthCase{
            "rle8_delta_moves_up", 8, 3, 3, {1, 1, 0, 2, 1, 1, 1, 2, 0, 1}, {"...", "..2", "1.."}},
        RunLengthCase{
            "rle8_end_of_bitmap_leaves_the_rest_unset", 8, 3, 2, {2, 5, 0, 1}, {"...", "55."}},
        RunLengthCase{"rle8_line_end_before_the_end_code", 8, 2, 1, {2, 3, 0, 0, 0, 1}, {"33"}},
        RunLengthCase{
            "rle8_delta_to_the_row_end", 8, 2, 2, {0, 2, 2, 0, 0, 0, 2, 4, 0, 1}, {"44", ".."}},
        // RLE4: a run alternates its two halves, high first; odd pixel counts
        // use half a byte, and absolute runs pad to an even byte count.
        RunLengthCase{"rle4_odd_runs",
                      4,
                      5,
                      2,
                      {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 2, 0x67, 0, 1},
                      {"34567", "12121"}},
        RunLengthCase{
            "rle4_odd_absolute_run_padded", 4, 5, 1, {0, 5, 0x12, 0x34, 0x50, 0, 0, 1}, {"12345"}},
        RunLengthCase{"rle4_delta_and_end_of_line",
                      4,
                      4,
                      2,
                      {0, 2, 2, 0, 2, 0xFE, 0, 0, 1, 0xA0, 0, 1},
                      {"A...", "..FE"}}),
    case_name);

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

BmpFixture truecolour(int bits, int width, int height) {
    BmpFixture fixture;
    fixture.bits = bits;
    fixture.image = make_test_image(width, height);
    return fixture;
}

BmpFixture indexed(int bits, std::vector<std::uint32_t> palette,
                   std::vector<std::uint8_t> indices) {
    BmpFixture fixture;
    fixture.bits = bits;
    fixture.width = static_cast<int>(indices.size());
    fixture.height = 1;
    fixture.palette = std::move(palette);
    fixture.indices = std::move(indices);
    return fixture;
}

BmpFixture run_length(int bits, int width, int height, platform::Bytes codes) {
    BmpFixture fixture;
    fixture.bits = bits;
    fixture.compression = bits == 8 ? 1 : 2;
    fixture.width = width;
    fixture.height = height;
    fixture.palette = {0xFF000000, 0xFFFFFFFF};
    fixture.run_length_codes = std::move(codes);
    return fixture;
}

template <typename Change>
platform::Bytes made(BmpFixture fixture, Change change) {
    change(fixture);
    return make_bmp(fixture);
}

struct InvalidCase {
    const char* name;
    platform::Bytes bytes;
    const char* reason; // a part of the message that says what is wrong
};

class InvalidBmp : public ::testing::TestWithParam<InvalidCase> {};

TEST_P(InvalidBmp, IsRefusedWithTheReason) {
    try {
        decode_bmp(GetParam().bytes);
        FAIL() << "decoded";
    } catch (const InvalidImageError& error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().reason), std::string::npos)
            << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Damage, InvalidBmp,
    ::testing::Values(
        InvalidCase{"empty", {}, "\"BM\""},
        InvalidCase{"not_bm", testing::text_bytes("PK\x03\x04 hello world!"), "\"BM\""},
        InvalidCase{"wrong_magic", patched(0, 'X', 1), "\"BM\""},
        InvalidCase{"header_cut", truncated(30), "info header is cut off"},
        InvalidCase{"pixels_cut", truncated(14 + 40 + 10), "file holds only"},
        InvalidCase{"odd_header_size", patched(14, 41, 4), "info header size 41"},
        InvalidCase{"zero_width", patched(18, 0, 4), "width 0 is not positive"},
        InvalidCase{"negative_width", patched(18, 0xFFFFFFFE, 4), "width -2 is not positive"},
        InvalidCase{"zero_height", patched(22, 0, 4), "height is 0"},
        InvalidCase{"most_negative_height", patched(22, 0x80000000u, 4), "beyond the limit"},
        InvalidCase{"huge_width", patched(18, 0x7FFFFFFF, 4), "beyond the limit"},
        InvalidCase{"width_one_beyond_the_limit", patched(18, 16385, 4), "beyond the limit"},
        InvalidCase{"area_beyond_the_limit",
                    made(run_length(8, 1, 1, {0, 1}),
                         [](BmpFixture& f) {
                             f.width_field = 16384;
                             f.height_field = 16384;
                         }),
                    "pixels an image may have"},
        InvalidCase{"two_planes", patched(26, 2, 2), "plane count is 2"},
        InvalidCase{"seven_bits", patched(28, 7, 2), "7 bits per pixel"},
        InvalidCase{"bits_say_32_on_24_bit_data",
                    made(truecolour(24, 4, 4), [](BmpFixture& f) { f.bits_field = 32; }),
                    "at 32 bits per pixel take 64 bytes of pixel data, but the file holds only 48"},
        InvalidCase{"bits_say_24_on_32_bit_data",
                    made(truecolour(32, 4, 4), [](BmpFixture& f) { f.bits_field = 24; }),
                    "the image-size field says 64 bytes"},
        InvalidCase{"file_size_field_larger_than_the_data",
                    made(truecolour(24, 2, 2), [](BmpFixture& f) { f.file_size_field = 500; }),
                    "file-size field says 500 bytes"},
        InvalidCase{"index_beyond_the_palette", make_bmp(indexed(8, {0xFFFFFFFF}, {0, 200})),
                    "pixel (1, 0) uses colour index 200, but the palette holds 1 colours"},
        InvalidCase{"one_bit_index_beyond_a_one_colour_palette",
                    make_bmp(indexed(1, {0xFFFFFFFF}, {0, 1})), "colour index 1"},
        InvalidCase{"run_length_index_beyond_the_palette",
                    make_bmp(run_length(8, 2, 1, {2, 7, 0, 1})), "colour index 7"},
        InvalidCase{"run_length_without_end_code", make_bmp(run_length(8, 2, 2, {2, 1, 0, 0})),
                    "without an end-of-bitmap code"},
        // Damaged codes, as bmpsuite's bad run-length files have them: each
        // would draw pixels of other rows or none at all.
        InvalidCase{"run_length_every_row_but_no_end_code",
                    make_bmp(run_length(8, 2, 1, {2, 1, 0, 0})), "without an end-of-bitmap code"},
        InvalidCase{"rle8_run_past_the_row_end", make_bmp(run_length(8, 2, 2, {3, 1, 0, 1})),
                    "passes the end of row 1"},
        InvalidCase{"rle8_runs_past_the_row_end_together",
                    make_bmp(run_length(8, 3, 2, {2, 1, 2, 1, 0, 1})), "passes the end of row 1"},
        InvalidCase{"rle4_absolute_run_past_the_row_end",
                    make_bmp(run_length(4, 2, 1, {0, 3, 0x11, 0x10, 0, 1})),
                    "passes the end of row 1"},
        InvalidCase{"rle8_run_past_the_last_row",
                    make_bmp(run_length(8, 2, 1, {2, 1, 0, 0, 1, 1, 0, 1})), "past the last row"},
        InvalidCase{"rle8_line_end_past_the_last_row",
                    make_bmp(run_length(8, 2, 1, {2, 1, 0, 0, 0, 0, 0, 1})), "past the last row"},
        InvalidCase{"rle8_delta_past_the_right_edge",
                    make_bmp(run_length(8, 4, 2, {0, 2, 5, 0, 0, 1})),
                    "delta at byte 0 moves past"},
        InvalidCase{"rle4_delta_past_the_top", make_bmp(run_length(4, 4, 2, {0, 2, 0, 2, 0, 1})),
                    "moves past the end of the 4 x 2 image"},
        InvalidCase{"run_length_absolute_run_cut", make_bmp(run_length(8, 4, 1, {0, 4, 1, 1})),
                    "middle of an absolute run"},
        InvalidCase{"run_length_delta_cut", make_bmp(run_length(4, 4, 2, {0, 2, 1})),
                    "middle of a delta"},
        InvalidCase{"run_length_code_cut", make_bmp(run_length(8, 4, 2, {2, 1, 0})),
                    "middle of a code"},
        InvalidCase{"run_length_size_field_beyond_the_data",
                    made(run_length(8, 2, 1, {2, 1, 0, 1}),
                         [](BmpFixture& f) { f.image_size_field = 1000; }),
                    "1000 bytes of run-length data"},
        InvalidCase{
            "rle8_with_4_bits",
            made(run_length(8, 2, 1, {2, 1, 0, 1}), [](BmpFixture& f) { f.bits_field = 4; }),
            "RLE8 needs 8 bits per pixel"},
        InvalidCase{
            "run_length_top_down",
            made(run_length(8, 2, 1, {2, 1, 0, 1}), [](BmpFixture& f) { f.height_field = -1; }),
            "top-down"},
        InvalidCase{
            "more_colours_than_the_depth_indexes",
            made(indexed(4, {0xFF000000}, {0}), [](BmpFixture& f) { f.colours_used_field = 17; }),
            "17 palette colours"},
        InvalidCase{"palette_runs_into_the_pixels",
                    made(indexed(8, {0xFF000000, 0xFFFFFFFF}, {0, 1}),
                         [](BmpFixture& f) { f.colours_used_field = 200; }),
                    "runs into the pixel data"},
        InvalidCase{"jpeg_inside", patched(30, 4, 4), "JPEG"},
        InvalidCase{"offset_past_end", patched(10, 0x10000, 4), "beyond the end of the file"},
        InvalidCase{"offset_inside_header", patched(10, 20, 4), "lies inside the headers"},
        InvalidCase{"bitfields_mask_zero",
                    made(truecolour(32, 2, 2),
                         [](BmpFixture& f) {
                             f.compression = 3;
                             f.masks = {0, 0xFF00, 0xFF, 0};
                         }),
                    "red bit-field mask is 0"},
        InvalidCase{"bitfields_masks_overlap",
                    made(truecolour(32, 2, 2),
                         [](BmpFixture& f) {
                             f.compression = 3;
                             f.masks = {0xFF00, 0xFF00, 0xFF, 0};
                         }),
                    "overlap"}),
    case_name);

} // namespace
} // namespace launcher
