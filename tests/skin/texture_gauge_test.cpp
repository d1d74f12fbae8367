// The textured gauge, and the range rules it shares with the progress bar.
#include "control_recorder.h"
#include "skin/gradient_progress_bar.h"
#include "skin/texture_gauge.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::ControlRecorder;

constexpr std::uint32_t kFore = argb(0, 200, 0);
constexpr std::uint32_t kBack = argb(0, 0, 90);

// Columns of one row: 'F' foreground, 'B' background, '.' nothing.
std::string row_of(const Bitmap& image, int y) {
    std::string row;
    for (int x = 0; x < image.width(); ++x) {
        const std::uint32_t p = image.pixel(x, y);
        row += p == kFore ? 'F' : p == kBack ? 'B' : p == 0 ? '.' : '?';
    }
    return row;
}

TEST(TextureGauge, UncoversTheForegroundByPositionOverMax) {
    TTextureGauge gauge;
    gauge.SetTextureBack(Bitmap(200, 16, kBack));
    gauge.SetTextureFore(Bitmap(200, 16, kFore));
    gauge.SetMax(200);
    gauge.SetPosition(100);
    const Bitmap image = gauge.Paint();
    ASSERT_EQ(image.width(), 200);
    for (int y : {0, 15})
        EXPECT_EQ(row_of(image, y), std::string(100, 'F') + std::string(100, 'B'));
}

TEST(TextureGauge, FillRoundsHalvesToEvenAndIgnoresMin) {
    TTextureGauge gauge;
    gauge.SetBounds(0, 0, 5, 1);
    gauge.SetTextureFore(Bitmap(5, 1, kFore));
    gauge.SetTextureBack(Bitmap(5, 1, kBack));
    // fill = round(position / 100 * 5)
    const std::pair<int, std::string> cases[] = {{10, "BBBBB"},   // 0.5 -> 0
                                                 {30, "FFBBB"},   // 1.5 -> 2
                                                 {50, "FFBBB"},   // 2.5 -> 2
                                                 {70, "FFFFB"},   // 3.5 -> 4
                                                 {300, "FFFFF"}}; // past Max: all
    for (const auto& [position, expected] : cases) {
        gauge.SetPosition(position);
        EXPECT_EQ(row_of(gauge.Paint(), 0), expected) << position;
    }
    gauge.SetPosition(50);
    gauge.SetMin(40); // Min takes no part in painting
    EXPECT_EQ(row_of(gauge.Paint(), 0), "FFBBB");
}

TEST(TextureGauge, OrientationNeverChangesHowItFills) {
    TTextureGauge gauge;
    gauge.SetBounds(0, 0, 4, 6);
    gauge.SetTextureFore(Bitmap(4, 6, kFore));
    gauge.SetPosition(50);
    const Bitmap horizontal = gauge.Paint();
    gauge.SetOrientation(TProgressBarOrientation::pbVertical);
    EXPECT_EQ(gauge.Paint(), horizontal);
    EXPECT_EQ(row_of(horizontal, 5), "FF..");
}

TEST(TextureGauge, EmptyTexturesAndMaxZeroDrawNoTexture) {
    TTextureGauge gauge;
    gauge.SetBounds(0, 0, 6, 2);
    gauge.SetPosition(50);
    EXPECT_EQ(gauge.Paint(), Bitmap(6, 2, 0));

    gauge.SetTextureBack(Bitmap(6, 2, kBack));
    gauge.SetTextureFore(Bitmap(6, 2, kFore));
    gauge.SetPosition(0);
    gauge.SetMax(0);
    EXPECT_EQ(row_of(gauge.Paint(), 0), "BBBBBB");
}

TEST(TextureGauge, TexturesSmallerThanTheControlLeaveTheRestClear) {
    TTextureGauge gauge;
    gauge.SetBounds(0, 0, 6, 2);
    gauge.SetTextureBack(Bitmap(4, 1, kBack));
    gauge.SetTextureFore(Bitmap(2, 2, kFore));
    gauge.SetPosition(100);
    const Bitmap image = gauge.Paint();
    EXPECT_EQ(row_of(image, 0), "FFBB..");
    EXPECT_EQ(row_of(image, 1), "FF....");
}

TEST(TextureGauge, TextureWritesCopyAndRepaintAtOnce) {
    TTextureGauge gauge;
    ControlRecorder host(gauge);
    Bitmap texture(3, 3, kFore);
    gauge.SetTextureFore(texture);
    texture.set_pixel(0, 0, kBack);
    EXPECT_EQ(gauge.TextureFore().pixel(0, 0), kFore);
    gauge.SetTextureBack(texture);
    EXPECT_EQ(host.changes, (std::vector{ControlChange::RepaintNow, ControlChange::RepaintNow}));
    gauge.SetVisible(false);
    EXPECT_TRUE(gauge.Paint().empty());
}

// Both controls keep the same range rules.
template <typename Control>
class RangeRules : public ::testing::Test {};
using RangeControls = ::testing::Types<TGradientProgressBar, TTextureGauge>;
TYPED_TEST_SUITE(RangeRules, RangeControls);

TYPED_TEST(RangeRules, IgnoreWritesThatBreakTheOrderAndRepaintAcceptedOnes) {
    TypeParam control;
    ControlRecorder host(control);
    control.SetPosition(-1);
    control.SetMin(101);
    control.SetMax(-1);
    EXPECT_TRUE(host.changes.empty());
    EXPECT_EQ(control.Position(), 0);
    EXPECT_EQ(control.Min(), 0);
    EXPECT_EQ(control.Max(), 100);

    control.SetMax(300);
    control.SetStep(250);
    control.SetPosition(100);
    control.StepIt();
    EXPECT_EQ(control.Position(), 350);
    EXPECT_EQ(host.count(ControlChange::RepaintNow), 4);
}

TYPED_TEST(RangeRules, StepItWrapsLikeA32BitValue) {
    TypeParam control;
    control.SetMax(INT32_MAX);
    control.SetPosition(INT32_MAX);
    control.StepIt();
    EXPECT_EQ(control.Position(), INT32_MIN + 9);
    // Painting such a position stays well-defined.
    EXPECT_FALSE(control.Paint().empty());
}

TYPED_TEST(RangeRules, AHugeControlPaintsOnlyWhatAWindowCanShow) {
    TypeParam control;
    control.SetBounds(0, 0, 1'000'000, 3);
    control.SetPosition(100);
    const Bitmap image = control.Paint();
    EXPECT_EQ(image.width(), SkinControl::kMaxPaintSide);
    EXPECT_EQ(image.height(), 3);
}

} // namespace
} // namespace launcher
