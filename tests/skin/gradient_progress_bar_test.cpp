// The gradient progress bar: presets, property writes, the gradient and
// the painting of both orientations.
#include "control_recorder.h"
#include "skin/gradient_progress_bar.h"

#include <array>
#include <cmath>

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::ControlRecorder;

std::uint8_t red(std::uint32_t pixel) {
    return static_cast<std::uint8_t>(pixel >> 16);
}

// The colour of line i of n between a and b (0x00BBGGRR), each channel
// stepped from a and rounded half to even, as the bar draws it.
std::uint32_t gradient_at(TColor a, TColor b, int i, int n) {
    std::uint8_t bytes[3];
    for (int c = 0; c < 3; ++c) {
        const double from = a >> (8 * c) & 0xFF, to = b >> (8 * c) & 0xFF;
        double value = from;
        for (int k = 0; k < i; ++k)
            value += (to - from) / n;
        const double floor = std::floor(value);
        const double fraction = value - floor;
        auto rounded = static_cast<int>(floor);
        if (fraction > 0.5 || (fraction == 0.5 && rounded % 2 != 0))
            ++rounded;
        bytes[c] = static_cast<std::uint8_t>(rounded);
    }
    return argb(bytes[0], bytes[1], bytes[2]);
}

struct SchemeCase {
    TColorScheme scheme;
    std::array<TColor, 5> colors; // border, back face, back grad, fore face, fore grad
};

TEST(GradientProgressBar, EachSchemeSetsAllFiveColours) {
    const SchemeCase cases[] = {
        {TColorScheme::csDesert, {0x005680, 0xC6ECFF, 0xFFFFFF, 0x9BDEFF, 0x007BB7}},
        {TColorScheme::csGrass, {0x156F37, 0xCBF5DC, 0xFFFFFF, 0xC9F5DB, 0x28C162}},
        {TColorScheme::csSilver, {0x6B6B6B, 0xE0E0E0, 0xFFFFFF, 0xF0F0F0, 0xADADAD}},
        {TColorScheme::csSky, {0xB35900, 0xFFEAD5, 0xFFFFFF, 0xFFEEDD, 0xFFAE5E}},
        {TColorScheme::csRose, {0x00009D, 0xD7D7FF, 0xFFFFFF, 0xE8E8FF, 0x8080FF}},
        {TColorScheme::csSun, {0x006464, 0xCEFFFF, 0xFFFFFF, 0xDFFFFF, 0x05BCDC}},
        {TColorScheme::csHackers, {0x000000, 0x005500, 0x008000, 0x91ECAE, 0x00AA00}},
        {TColorScheme::csNight, {0x000000, 0x804000, 0xA85400, 0xFFCB97, 0xEC7600}},
        {TColorScheme::csVelvet, {0x000000, 0x000059, 0x46468C, 0x9F9FF2, 0x4848BB}},
        {TColorScheme::csMetal, {0x000000, 0x464646, 0x6F6F6F, 0xCECECE, 0x737373}},
        {TColorScheme::csViolet, {0x000000, 0x800040, 0xCA0065, 0xFFB7DB, 0xFF3399}},
        {TColorScheme::csToxic, {0x000000, 0x2C5656, 0x3E7B7B, 0xBCDEDE, 0x468E8E}},
    };
    for (const SchemeCase& c : cases) {
        TGradientProgressBar bar;
        bar.SetColorScheme(c.scheme);
        EXPECT_EQ(bar.ColorScheme(), c.scheme);
        const std::array<TColor, 5> actual = {bar.ColorBorder(), bar.BackColorFace(),
                                              bar.BackColorGrad(), bar.ForeColorFace(),
                                              bar.ForeColorGrad()};
        EXPECT_EQ(actual, c.colors) << static_cast<int>(c.scheme);
    }
}

TEST(GradientProgressBar, ANewBarIsDesertHorizontalFrom0To100) {
    const TGradientProgressBar bar;
    EXPECT_EQ(bar.ColorScheme(), TColorScheme::csDesert);
    EXPECT_EQ(bar.ForeColorGrad(), 0x007BB7u);
    EXPECT_EQ(bar.Width(), 200);
    EXPECT_EQ(bar.Height(), 16);
    EXPECT_EQ(bar.Min(), 0);
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_EQ(bar.Step(), 10);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(bar.Orientation(), TProgressBarOrientation::pbHorizontal);
}

TEST(GradientProgressBar, AColourWriteTurnsTheSchemeCustomAndKeepsTheOthers) {
    TGradientProgressBar bar;
    ControlRecorder host(bar);
    bar.SetForeColorFace(0x123456);
    EXPECT_EQ(bar.ColorScheme(), TColorScheme::csCustom);
    EXPECT_EQ(bar.ForeColorFace(), 0x123456u);
    EXPECT_EQ(bar.ColorBorder(), 0x005680u);
    EXPECT_EQ(bar.BackColorFace(), 0xC6ECFFu);
    EXPECT_EQ(bar.BackColorGrad(), 0xFFFFFFu);
    EXPECT_EQ(bar.ForeColorGrad(), 0x007BB7u);
    EXPECT_EQ(host.changes, std::vector{ControlChange::RepaintRequested});

    // The shared setter by index; an unknown index changes nothing.
    bar.SetColorScheme(TColorScheme::csDesert);
    bar.SetColor(5, 0x111111);
    EXPECT_EQ(bar.ColorScheme(), TColorScheme::csDesert);
    bar.SetColor(11, 0x222222);
    EXPECT_EQ(bar.BackColorGrad(), 0x222222u);
}

TEST(GradientProgressBar, WritingCustomAfterAPresetKeepsThePresetColours) {
    TGradientProgressBar bar;
    bar.SetColorScheme(TColorScheme::csNight);
    bar.SetColorScheme(TColorScheme::csCustom);
    EXPECT_EQ(bar.ColorScheme(), TColorScheme::csCustom);
    EXPECT_EQ(bar.BackColorFace(), 0x804000u);
    EXPECT_EQ(bar.ForeColorGrad(), 0xEC7600u);
}

TEST(GradientProgressBar, RangeWritesKeepMinAtMostPositionAndMax) {
    TGradientProgressBar bar;
    ControlRecorder host(bar);
    bar.SetPosition(50);
    bar.SetMin(20);
    EXPECT_EQ(host.count(ControlChange::RepaintNow), 2);
    host.clear();

    bar.SetPosition(19); // below Min
    bar.SetMin(101);     // above Max
    bar.SetMax(19);      // below Min
    EXPECT_EQ(bar.Position(), 50);
    EXPECT_EQ(bar.Min(), 20);
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_TRUE(host.changes.empty());

    // A Min write above Position is allowed and leaves Position below it.
    bar.SetMin(60);
    EXPECT_EQ(bar.Min(), 60);
    EXPECT_EQ(bar.Position(), 50);
    bar.SetMax(60); // Max equal to Min is allowed
    EXPECT_EQ(bar.Max(), 60);
}

TEST(GradientProgressBar, StepItAddsStepWithoutBoundAndRepaintsAtOnce) {
    TGradientProgressBar bar;
    bar.SetPosition(100);
    ControlRecorder host(bar);
    bar.StepIt();
    EXPECT_EQ(bar.Position(), 110);
    EXPECT_EQ(host.changes, std::vector{ControlChange::RepaintNow});
    bar.SetStep(-200);
    bar.StepIt();
    EXPECT_EQ(bar.Position(), -90);
    bar.SetOrientation(TProgressBarOrientation::pbVertical);
    EXPECT_EQ(host.changes.back(), ControlChange::RepaintRequested);
}

TEST(DrawGradient, RunsFromTheFirstColourToTheSecondInNPlusOneLines) {
    Bitmap canvas(10, 6, 0);
    // Direction 1 over (0, 0, 10, 5): n = 5, rows 0 to 5 (row 5 clipped away
    // beyond the rectangle but inside the canvas).
    TGradientProgressBar::DrawGradient(canvas, {0, 0, 10, 5}, 1, 0x000000, 0x0000FF);
    for (int row = 0; row <= 5; ++row)
        EXPECT_EQ(canvas.pixel(4, row), gradient_at(0x000000, 0x0000FF, row, 5)) << row;
    EXPECT_EQ(red(canvas.pixel(0, 0)), 0);
    EXPECT_EQ(red(canvas.pixel(0, 5)), 255);
    // Halves of a channel round to the even neighbour: 0 to 1 in 2 steps
    // gives 0, 0 (0.5), 1; 0 to 3 in 2 steps gives 0, 2 (1.5), 3.
    Bitmap halves(3, 1, 0);
    TGradientProgressBar::DrawGradient(halves, {0, 0, 2, 1}, 0, 0x000000, 0x000001);
    EXPECT_EQ(red(halves.pixel(1, 0)), 0);
    TGradientProgressBar::DrawGradient(halves, {0, 0, 2, 1}, 0, 0x000000, 0x000003);
    EXPECT_EQ(red(halves.pixel(1, 0)), 2);
    EXPECT_EQ(red(halves.pixel(2, 0)), 3);
}

TEST(DrawGradient, LinesCountFromTheCanvasEdgeAndEndAtTopPlusBottom) {
    Bitmap canvas(8, 8, 0);
    // Direction 0 over (2, 3, 5, 4): n = 3, columns 0 to 3 (not 2 to 5),
    // each from row 3 up to row 3 + 4 = 7.
    TGradientProgressBar::DrawGradient(canvas, {2, 3, 5, 4}, 0, 0x0000FF, 0x0000FF);
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 8; ++y)
            EXPECT_EQ(canvas.pixel(x, y) != 0, x <= 3 && y >= 3 && y < 7) << x << "," << y;
}

TEST(DrawGradient, DrawsNothingForNoStepsOrAnUnknownDirection) {
    const Bitmap blank(6, 6, 0);
    for (const auto& [rect, direction] :
         {std::pair{Rect{2, 0, 2, 6}, 0},                                 // n = 0
          std::pair{Rect{0, 3, 6, 3}, 1}, std::pair{Rect{4, 0, 1, 6}, 0}, // n negative
          std::pair{Rect{0, 0, 6, 6}, 3}, std::pair{Rect{0, 0, 6, 6}, -1}}) {
        Bitmap canvas = blank;
        TGradientProgressBar::DrawGradient(canvas, rect, direction, 0xFFFFFF, 0xFFFFFF);
        EXPECT_EQ(canvas, blank) << direction;
    }
    // Direction 2 draws lines from (i, T) to (L, i).
    Bitmap diagonal = blank;
    TGradientProgressBar::DrawGradient(diagonal, {0, 0, 3, 3}, 2, 0xFFFFFF, 0xFFFFFF);
    EXPECT_NE(diagonal.pixel(2, 0), 0u);
    EXPECT_EQ(diagonal.pixel(5, 5), 0u);
}

class HorizontalBar : public ::testing::Test {
protected:
    HorizontalBar() {
        bar.SetBounds(0, 0, 527, 8);
        bar.SetColorBorder(0x005680);
        bar.SetBackColorFace(0x444444);
        bar.SetBackColorGrad(0x111111);
        bar.SetForeColorFace(0x6BCEDF);
        bar.SetForeColorGrad(0x007BB7);
    }
    std::uint32_t bar_row(int row) const { return gradient_at(0x6BCEDF, 0x007BB7, row, 8); }
    std::uint32_t track_row(int row) const { return gradient_at(0x444444, 0x111111, row, 6); }

    TGradientProgressBar bar;
};

TEST_F(HorizontalBar, HalfOf527FillsColumns0To261AndClosesAt262) {
    bar.SetPosition(50);
    const Bitmap image = bar.Paint();
    ASSERT_EQ(image.width(), 527);
    ASSERT_EQ(image.height(), 8);
    const std::uint32_t border = ArgbFromColorRef(0x005680);
    for (int y = 1; y < 7; ++y) {
        // Column 0 is border, column 1 repeats the colour of (1, 1).
        EXPECT_EQ(image.pixel(0, y), border);
        EXPECT_EQ(image.pixel(1, y), bar_row(1)) << y;
        for (int x : {2, 100, 261})
            EXPECT_EQ(image.pixel(x, y), bar_row(y)) << x << "," << y;
        // The closing line takes the colour of (2, H - 2).
        EXPECT_EQ(image.pixel(262, y), bar_row(6)) << y;
        for (int x : {263, 400, 525})
            EXPECT_EQ(image.pixel(x, y), track_row(y)) << x << "," << y;
        EXPECT_EQ(image.pixel(526, y), border);
    }
    for (int x : {0, 100, 262, 526}) {
        EXPECT_EQ(image.pixel(x, 0), border);
        EXPECT_EQ(image.pixel(x, 7), border);
    }
}

TEST_F(HorizontalBar, FillRoundsTheShareOfTheInnerWidth) {
    // fill = round(525 * position / 100): 5.25 -> 5, 519.75 -> 520, 262.5 -> 262.
    const std::pair<int, int> cases[] = {{1, 5}, {99, 520}, {50, 262}, {51, 268}};
    for (const auto& [position, fill] : cases) {
        bar.SetPosition(position);
        const Bitmap image = bar.Paint();
        EXPECT_EQ(image.pixel(fill - 1, 3), fill - 1 >= 2 ? bar_row(3) : bar_row(1)) << position;
        EXPECT_EQ(image.pixel(fill, 3), bar_row(6)) << position;
        EXPECT_EQ(image.pixel(fill + 1, 3), track_row(3)) << position;
    }
    // At 0 no bar is drawn; column 1 takes the track's colour at (1, 1).
    bar.SetPosition(0);
    const Bitmap empty_bar = bar.Paint();
    EXPECT_EQ(empty_bar.pixel(1, 3), track_row(1));
    EXPECT_EQ(empty_bar.pixel(2, 3), track_row(3));
}

TEST_F(HorizontalBar, APositionPastMaxFillsTheWholeTrack) {
    bar.SetPosition(100);
    bar.StepIt();
    const Bitmap image = bar.Paint();
    for (int x = 2; x < 526; ++x)
        ASSERT_EQ(image.pixel(x, 3), bar_row(3)) << x;
}

TEST_F(HorizontalBar, MaxEqualToMinDrawsTrackAndBorderButNoBar) {
    bar.SetPosition(50);
    bar.SetMin(50);
    bar.SetMax(50);
    const Bitmap image = bar.Paint();
    EXPECT_EQ(image.pixel(1, 3), track_row(1));
    for (int x : {2, 262, 525})
        EXPECT_EQ(image.pixel(x, 3), track_row(3)) << x;
    EXPECT_EQ(image.pixel(0, 3), ArgbFromColorRef(0x005680));
}

TEST_F(HorizontalBar, NothingIsDrawnWhileHidden) {
    bar.SetVisible(false);
    EXPECT_TRUE(bar.Paint().empty());
}

TEST(VerticalBar, GrowsUpwardsFromTheBottomEdge) {
    TGradientProgressBar bar;
    bar.SetColorScheme(TColorScheme::csNight);
    bar.SetOrientation(TProgressBarOrientation::pbVertical);
    bar.SetBounds(0, 0, 10, 52);
    bar.SetPosition(50);
    const Bitmap image = bar.Paint();
    // filled = round(50 * 50 / 100 + 1) = 26, top = 26.
    const auto bar_column = [&](int x) {
        return gradient_at(bar.ForeColorFace(), bar.ForeColorGrad(), x, 10);
    };
    const auto track_column = [&](int x) {
        return gradient_at(bar.BackColorFace(), bar.BackColorGrad(), x, 8);
    };
    for (int x = 1; x < 9; ++x) {
        EXPECT_EQ(image.pixel(x, 10), track_column(x)) << x;
        EXPECT_EQ(image.pixel(x, 25), track_column(x)) << x;
        // The closing line at the top of the bar takes the colour of (W - 3, H - 3).
        EXPECT_EQ(image.pixel(x, 26), bar_column(7)) << x;
        EXPECT_EQ(image.pixel(x, 40), bar_column(x)) << x;
        // The line along row H - 2 takes the colour of (2, H - 2).
        EXPECT_EQ(image.pixel(x, 50), bar_column(2)) << x;
        EXPECT_EQ(image.pixel(x, 51), ArgbFromColorRef(bar.ColorBorder()));
    }
}

TEST(VerticalBar, APositionPastMaxStillReachesTheBottom) {
    TGradientProgressBar bar;
    bar.SetOrientation(TProgressBarOrientation::pbVertical);
    bar.SetBounds(0, 0, 10, 40);
    bar.SetPosition(300);
    const Bitmap image = bar.Paint();
    const std::uint32_t fore = gradient_at(bar.ForeColorFace(), bar.ForeColorGrad(), 5, 10);
    for (int y = 1; y < 38; ++y)
        EXPECT_EQ(image.pixel(5, y), fore) << y;
}

} // namespace
} // namespace launcher
