// Carrying skin members onto the control models, and the two window outlines.
#include "skin/gradient_progress_bar.h"
#include "skin/image_button.h"
#include "skin/main_window_controls.h"
#include "skin/skin_apply.h"
#include "skin/texture_gauge.h"

#include <string>

#include <gtest/gtest.h>

namespace launcher {
namespace {

StringList placement(const std::string& extra = "") {
    StringList lines = {"Left=10",   "Top=20",       "Width=300",
                        "Height=40", "Visible=true", "Enabled=true"};
    if (!extra.empty())
        lines.push_back(extra);
    return lines;
}

TEST(ApplyButton, TheNormalImageDecidesTheSizeOverWidthAndHeight) {
    TqorButton skin;
    skin.parameters = placement();
    skin.common = Bitmap(100, 30, argb(1, 2, 3));
    skin.over = Bitmap(104, 34, argb(4, 5, 6));
    TImageButton button;
    skin.SaveToForm(button);
    EXPECT_EQ(button.Left(), 10);
    EXPECT_EQ(button.Top(), 20);
    EXPECT_EQ(button.Width(), 100);
    EXPECT_EQ(button.Height(), 30);
    EXPECT_EQ(button.MOver(), skin.over);
    EXPECT_EQ(button.Paint(), skin.common);
}

TEST(ApplyButton, WithoutANormalImageTheButtonKeepsTheSkinSizeAndShowsItsFace) {
    TqorButton skin;
    skin.parameters = placement();
    TImageButton button;
    skin.SaveToForm(button);
    EXPECT_EQ(button.Width(), 300);
    EXPECT_EQ(button.Height(), 40);
    EXPECT_EQ(button.Paint(), Bitmap(300, 40, TImageButton::kButtonFace));
}

TEST(ApplyButton, ImagesAndStatesComeFromTheSkin) {
    TqorButton skin;
    skin.parameters = {"Visible=true", "Enabled=false"};
    skin.common = Bitmap(10, 10, argb(1, 1, 1));
    skin.disabled = Bitmap(12, 12, argb(2, 2, 2));
    skin.down = Bitmap(10, 10, argb(3, 3, 3));
    skin.up = Bitmap(10, 10, argb(4, 4, 4));
    TImageButton button;
    skin.SaveToForm(button);
    EXPECT_FALSE(button.Enabled());
    EXPECT_EQ(button.BmpDAble(), skin.disabled);
    EXPECT_EQ(button.MDown(), skin.down);
    EXPECT_EQ(button.MUp(), skin.up);
    EXPECT_EQ(button.Paint(), skin.disabled);
}

struct FlagCase {
    std::string line;
    bool visible;
};

TEST(ApplyPlacement, OnlyLowerCaseTrueShowsTheControl) {
    const FlagCase cases[] = {{"Visible=true", true},  {"Visible = true ", true},
                              {"Visible=True", false}, {"Visible=TRUE", false},
                              {"Visible=1", false},    {"", false}};
    for (const FlagCase& c : cases) {
        TGradientProgressBar bar;
        ApplyPlacement({c.line}, bar);
        EXPECT_EQ(bar.Visible(), c.visible) << c.line;
    }
}

TEST(ApplyPlacement, NumbersTakeTheLow32BitsAndAnythingElseIsZero) {
    const std::pair<std::string, int> cases[] = {{"Left=$20", 32},
                                                 {"Left=0x20", 32},
                                                 {"Left=12px", 0},
                                                 {"", 0},
                                                 {"Left=-5", -5},
                                                 {"Left=$FFFFFFFF", -1},
                                                 {"Left=$1FFFFFFFF", -1},
                                                 {"Left=4294967306", 10},
                                                 {"Left=x7FFFFFFF", 2147483647}};
    for (const auto& [line, left] : cases) {
        TTextureGauge gauge;
        gauge.SetLeft(99);
        ApplyPlacement({line}, gauge);
        EXPECT_EQ(gauge.Left(), left) << line;
        // Absent keys give 0 as well: the gauge loses its designed size.
        EXPECT_EQ(gauge.Width(), 0) << line;
    }
}

TEST(ApplyProgress, ColoursMakeTheSchemeCustomAndKeepTheBorder) {
    TqorProgress skin;
    skin.parameters = placement("CForeFace=$00112233");
    skin.parameters.push_back("CForeGrad=$00445566");
    skin.parameters.push_back("CBackFace=$00778899");
    skin.parameters.push_back("CBackGrad=$00AABBCC");
    MainWindowControls controls;
    TGradientProgressBar& bar = controls.ProgressBar_Total;
    skin.SaveToForm(bar);
    EXPECT_EQ(bar.ColorScheme(), TColorScheme::csCustom);
    EXPECT_EQ(bar.ColorBorder(), 0x005680u);
    EXPECT_EQ(bar.ForeColorFace(), 0x112233u);
    EXPECT_EQ(bar.ForeColorGrad(), 0x445566u);
    EXPECT_EQ(bar.BackColorFace(), 0x778899u);
    EXPECT_EQ(bar.BackColorGrad(), 0xAABBCCu);
    EXPECT_EQ(bar.Width(), 300);
    EXPECT_EQ(bar.Orientation(), TProgressBarOrientation::pbHorizontal);
}

TEST(ApplyProgress, AnyNonZeroOrientationIsVertical) {
    const std::pair<std::string, TProgressBarOrientation> cases[] = {
        {"Orientation=2", TProgressBarOrientation::pbVertical},
        {"Orientation=-1", TProgressBarOrientation::pbVertical},
        {"Orientation=1", TProgressBarOrientation::pbVertical},
        {"Orientation=0", TProgressBarOrientation::pbHorizontal},
        {"Orientation=up", TProgressBarOrientation::pbHorizontal}};
    for (const auto& [line, orientation] : cases) {
        TqorProgress skin;
        skin.parameters = {line};
        TGradientProgressBar bar;
        bar.SetOrientation(TProgressBarOrientation::pbVertical);
        skin.SaveToForm(bar);
        EXPECT_EQ(bar.Orientation(), orientation) << line;
    }
}

TEST(ApplyGauge, TexturesArePlacedAndTheGaugeRepainted) {
    TqorGauge skin;
    skin.parameters = placement();
    skin.FTex = Bitmap(300, 40, argb(0, 200, 0));
    skin.BTex = Bitmap(300, 40, argb(0, 0, 90));
    TTextureGauge gauge;
    int repaints = 0;
    gauge.SetChangeHandler(
        [&](ControlChange change) { repaints += change == ControlChange::RepaintNow ? 1 : 0; });
    skin.SaveToForm(gauge);
    EXPECT_EQ(gauge.TextureFore(), skin.FTex);
    EXPECT_EQ(gauge.TextureBack(), skin.BTex);
    EXPECT_EQ(gauge.Left(), 10);
    EXPECT_EQ(repaints, 3); // two texture writes, then the repaint
}

TEST(LabelSkinValues, FontAndColourFollowTheSkin) {
    const LabelSkin label = LabelSkinValues(placement("Size=9"));
    EXPECT_EQ(label.Left, 10);
    EXPECT_EQ(label.Height, 40);
    EXPECT_TRUE(label.Visible);
    EXPECT_EQ(label.FontPixels, 12); // 9 points on a 96-dots-per-inch screen
    EXPECT_EQ(label.ColorArgb, argb(0, 0, 0));

    const LabelSkin styled =
        LabelSkinValues({"Size=-15", "Color=$0000FF", "Bold=true", "Italic=True"});
    EXPECT_EQ(styled.FontPixels, 15);
    EXPECT_EQ(styled.ColorArgb, argb(0xFF, 0, 0));
    EXPECT_TRUE(styled.Bold);
    EXPECT_FALSE(styled.Italic);
    EXPECT_FALSE(styled.Underline);
}

TEST(LabelSkinValues, SystemColoursAndNoSizeKeepTheLabelsOwn) {
    for (const char* size : {"Size=0", "Size=-2147483648", "Size=big"}) {
        const LabelSkin label = LabelSkinValues({size, "Color=$FF000008"});
        EXPECT_FALSE(label.FontPixels) << size;
        EXPECT_FALSE(label.ColorArgb) << size;
    }
}

TEST(MainWindowControls, AreDesignedAsTheWindowNeedsThem) {
    const MainWindowControls controls;
    EXPECT_EQ(controls.ProgressBar_OneFile.Left(), 39);
    EXPECT_EQ(controls.ProgressBar_OneFile.Top(), 522);
    EXPECT_EQ(controls.ProgressBar_OneFile.Width(), 527);
    EXPECT_EQ(controls.ProgressBar_OneFile.Height(), 8);
    EXPECT_EQ(controls.ProgressBar_Total.ForeColorFace(), 0x4444AAu);
    EXPECT_EQ(controls.ProgressBar_Total.ColorScheme(), TColorScheme::csCustom);
    EXPECT_FALSE(controls.Button_StartGame.Enabled());
    EXPECT_FALSE(controls.Button_CheckAllFiles.Visible());
    EXPECT_EQ(controls.Button_Close.Left(), 765);
    EXPECT_EQ(controls.Button_Close.Width(), 0);
    EXPECT_FALSE(controls.Button_Close.ParentShowHint());
    EXPECT_EQ(controls.Gauge_Total.Left(), 280);
    EXPECT_EQ(controls.Gauge_Total.Top(), 626);
}

platform::Bytes one_rect_region(Rect rect, std::uint32_t count = 1) {
    platform::MemoryStream out;
    for (std::uint32_t v : {32u, 1u, count, count * 16})
        out.write_int<std::uint32_t>(v);
    for (std::int32_t v : {0, 0, 0, 0})
        out.write_int<std::int32_t>(v);
    if (count > 0)
        for (std::int32_t v : {rect.left, rect.top, rect.right, rect.bottom})
            out.write_int<std::int32_t>(v);
    return out.bytes();
}

TEST(MainWindowRegion, ComesFromTheBackgroundsRegionData) {
    TqorBackGround background;
    background.region = platform::MemoryStream(one_rect_region({2, 0, 30, 20}));
    background.region.seek(7); // the reader starts at the beginning anyway
    const std::optional<Region> region = MainWindowRegion(background);
    ASSERT_TRUE(region);
    EXPECT_EQ(region->Rects(), (std::vector<Rect>{Rect{2, 0, 30, 20}}));
    EXPECT_EQ(background.GetRegion(), region);
}

TEST(MainWindowRegion, NoneKeepsTheWindowRectangular) {
    TqorBackGround background;
    EXPECT_FALSE(MainWindowRegion(background).has_value()); // empty region data
    background.region = platform::MemoryStream(platform::Bytes{1, 2, 3});
    EXPECT_FALSE(MainWindowRegion(background).has_value());
    // Valid data without a single pixel would hide the whole window.
    background.region = platform::MemoryStream(one_rect_region({}, 0));
    EXPECT_TRUE(background.GetRegion().has_value());
    EXPECT_FALSE(MainWindowRegion(background).has_value());
}

TEST(SettingsWindowRegion, CutsTheTopLeftColourEverywhere) {
    constexpr std::uint32_t key = argb(255, 0, 255);
    Bitmap image(10, 8, argb(30, 30, 40));
    image.set_pixel(0, 0, key);
    image.set_pixel(5, 4, key); // inside the picture: a hole
    const std::optional<Region> region = SettingsWindowRegion(image);
    ASSERT_TRUE(region);
    EXPECT_FALSE(region->Contains(0, 0));
    EXPECT_FALSE(region->Contains(5, 4));
    EXPECT_TRUE(region->Contains(4, 4));
    EXPECT_EQ(region->Area(), 80 - 2);
    EXPECT_FALSE(SettingsWindowRegion(Bitmap{}).has_value());
}

} // namespace
} // namespace launcher
