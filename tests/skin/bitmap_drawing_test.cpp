// Drawing into the toolkit-free bitmap: lines end before their last point,
// everything is clipped, copies and placements are unscaled.
#include "skin/bitmap.h"
#include "skin/rounding.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace launcher {
namespace {

constexpr std::uint32_t kBlank = 0xFF000000u;
constexpr std::uint32_t kPen = 0xFFFF0000u;

// The image as rows of '#' (pen) and '.' (anything else), for readable checks.
std::vector<std::string> picture(const Bitmap& image) {
    std::vector<std::string> rows;
    for (int y = 0; y < image.height(); ++y) {
        std::string row;
        for (int x = 0; x < image.width(); ++x)
            row += image.pixel(x, y) == kPen ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

struct LineCase {
    const char* name;
    std::int64_t x0, y0, x1, y1;
    std::vector<std::string> expected;
};

class BitmapLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(BitmapLine, ColoursUpToButNotIncludingTheEnd) {
    const LineCase& c = GetParam();
    Bitmap image(5, 4, kBlank);
    image.draw_line(c.x0, c.y0, c.x1, c.y1, kPen);
    EXPECT_EQ(picture(image), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BitmapLine,
    ::testing::Values(
        LineCase{"Rightwards", 1, 1, 4, 1, {".....", ".###.", ".....", "....."}},
        LineCase{"Leftwards", 4, 1, 1, 1, {".....", "..###", ".....", "....."}},
        LineCase{"Downwards", 2, 0, 2, 3, {"..#..", "..#..", "..#..", "....."}},
        LineCase{"Upwards", 2, 3, 2, 0, {".....", "..#..", "..#..", "..#.."}},
        LineCase{"Diagonal", 0, 0, 3, 3, {"#....", ".#...", "..#..", "....."}},
        LineCase{"OnePoint", 2, 2, 2, 2, {".....", ".....", ".....", "....."}},
        LineCase{"ClippedBothEnds", -1000, 2, 1000, 2, {".....", ".....", "#####", "....."}},
        LineCase{"FarOutside",
                 -5'000'000'000,
                 0,
                 5'000'000'000,
                 0,
                 {"#####", ".....", ".....", "....."}},
        LineCase{"RowBelowTheImage", 0, 4, 5, 4, {".....", ".....", ".....", "....."}}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

TEST(BitmapDrawing, FillAndFrame) {
    Bitmap image(4, 3, kBlank);
    image.fill(kPen);
    EXPECT_EQ(picture(image), (std::vector<std::string>{"####", "####", "####"}));
    image.fill(kBlank);
    image.draw_frame({0, 0, 4, 3}, kPen);
    EXPECT_EQ(picture(image), (std::vector<std::string>{"####", "#..#", "####"}));
    image.fill(kBlank);
    image.fill_rect({-2, 1, 2, 10}, kPen);
    EXPECT_EQ(picture(image), (std::vector<std::string>{"....", "##..", "##.."}));
}

TEST(BitmapDrawing, CopyRectTakesTheSameRectangleOfTheSource) {
    Bitmap source(4, 4, kPen);
    Bitmap target(6, 3, kBlank);
    target.copy_rect(source, {1, 1, 10, 10}); // clipped to both images
    EXPECT_EQ(picture(target), (std::vector<std::string>{"......", ".###..", ".###.."}));
}

TEST(BitmapDrawing, DrawPlacesUnscaledAndClips) {
    Bitmap image(3, 2, kPen);
    image.set_pixel(0, 0, 0xFF00FF00u);
    Bitmap target(4, 4, kBlank);
    target.draw(image, -1, 3);
    EXPECT_EQ(picture(target), (std::vector<std::string>{"....", "....", "....", "##.."}));
    target.draw(image, 2, 0);
    EXPECT_EQ(target.pixel(2, 0), 0xFF00FF00u);
    EXPECT_EQ(target.pixel(3, 1), kPen);
}

TEST(BitmapDrawing, BlendLaysImagesOverByTheirAlpha) {
    Bitmap target(3, 1, argb(0, 0, 200));
    Bitmap layer(3, 1);
    layer.set_pixel(0, 0, argb(200, 0, 0, 0xFF));
    layer.set_pixel(1, 0, argb(200, 0, 0, 0x00));
    layer.set_pixel(2, 0, argb(255, 0, 0, 0x80));
    target.blend(layer, 0, 0);
    EXPECT_EQ(target.pixel(0, 0), argb(200, 0, 0));
    EXPECT_EQ(target.pixel(1, 0), argb(0, 0, 200));
    const std::uint32_t half = target.pixel(2, 0);
    EXPECT_EQ(half >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>(half >> 16 & 0xFF), 128, 1);
    EXPECT_NEAR(static_cast<int>(half & 0xFF), 100, 1);
}

TEST(BitmapDrawing, ColorRefConversionSwapsRedAndBlue) {
    EXPECT_EQ(ArgbFromColorRef(0x00332211), argb(0x11, 0x22, 0x33));
    EXPECT_EQ(ArgbFromColorRef(0x80332211), argb(0x11, 0x22, 0x33));
    EXPECT_EQ(ColorRefFromArgb(argb(0x11, 0x22, 0x33)), 0x00332211u);
}

TEST(BitmapColours, MeanOverTheAreaInsideTheImageAndMixing) {
    Bitmap image(4, 2, argb(0, 0, 0));
    image.fill_rect({0, 0, 2, 2}, argb(200, 100, 50));
    EXPECT_EQ(MeanColor(image, {0, 0, 4, 2}), argb(100, 50, 25));
    EXPECT_EQ(MeanColor(image, {-5, -5, 1, 1}), argb(200, 100, 50));
    EXPECT_EQ(MeanColor(image, {10, 10, 20, 20}), argb(0, 0, 0));
    EXPECT_EQ(MixColors(argb(0, 100, 255), argb(255, 0, 255, 0), 0.5), argb(128, 50, 255));
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    const std::pair<double, std::int64_t> cases[] = {
        {262.5, 262}, {263.5, 264}, {0.5, 0},    {1.5, 2},   {-0.5, 0},
        {-1.5, -2},   {2.4999, 2},  {2.5001, 3}, {-2.6, -3}, {1e300, INT64_MAX}};
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(RoundHalfEven(value), expected) << value;
}

} // namespace
} // namespace launcher
