// The default skin in assets/skin composes and gives every member of both
// windows what its folder holds.
#include "platform/files.h"
#include "skin/main_window_controls.h"
#include "skin/skin_apply.h"
#include "skin/skin_params.h"
#include "skin/skin_preview.h"
#include "skin/skin_source.h"
#include "skin/skin_windows.h"
#include "skin_stream_builder.h"
#include "support/temp_dir.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace launcher {
namespace {

const std::filesystem::path default_skin =
    std::filesystem::path(LAUNCHER_SOURCE_DIR) / "assets/skin";

struct LoadedSkin {
    TqorMainWindow main;
    TqorConfigWindow settings;
    std::size_t size = 0;
};

LoadedSkin load_default_skin() {
    LoadedSkin skin;
    const platform::Bytes bytes = ComposeSkinStream(default_skin);
    platform::MemoryStream stream(bytes);
    skin.main.LoadFromStream(stream);
    skin.settings.LoadFromStream(stream);
    EXPECT_EQ(stream.remaining_size(), 0u);
    skin.size = bytes.size();
    return skin;
}

void expect_placed(const StringList& parameters, const char* member) {
    for (const char* key : {"Left", "Top", "Width", "Height"})
        EXPECT_GT(GetParamInt(parameters, key), 0) << member << ' ' << key;
    EXPECT_FALSE(GetParamValue(parameters, "Visible").empty()) << member;
    EXPECT_FALSE(GetParamValue(parameters, "Enabled").empty()) << member;
}

TEST(DefaultSkin, MainWindowHasEveryMember) {
    const LoadedSkin skin = load_default_skin();
    const TqorMainWindow& w = skin.main;
    EXPECT_EQ(w.BackGroundImage.image.width(), 800);
    EXPECT_EQ(w.BackGroundImage.image.height(), 650);

    const std::pair<const TqorButton*, const char*> buttons[] = {
        {&w.Button_StartGame, "Button_StartGame"},         {&w.Button_Cancel, "Button_Cancel"},
        {&w.Button_CheckAllFiles, "Button_CheckAllFiles"}, {&w.Button_Close, "Button_Close"},
        {&w.Button_Minimize, "Button_Minimize"},           {&w.Button_Config, "Button_Config"}};
    for (const auto& [button, name] : buttons) {
        expect_placed(button->parameters, name);
        for (const Bitmap* image :
             {&button->common, &button->over, &button->disabled, &button->down, &button->up}) {
            EXPECT_EQ(image->width(), GetParamInt(button->parameters, "Width")) << name;
            EXPECT_EQ(image->height(), GetParamInt(button->parameters, "Height")) << name;
        }
    }
    for (const auto& [gauge, name] :
         {std::pair{&w.Gauge_OneFile, "Gauge_OneFile"}, std::pair{&w.Gauge_Total, "Gauge_Total"}}) {
        expect_placed(gauge->parameters, name);
        EXPECT_FALSE(gauge->FTex.empty()) << name;
        EXPECT_FALSE(gauge->BTex.empty()) << name;
    }
    for (const auto& [progress, name] : {std::pair{&w.Progress_OneFile, "Progress_OneFile"},
                                         std::pair{&w.Progress_Total, "Progress_Total"}}) {
        expect_placed(progress->parameters, name);
        EXPECT_NE(GetParamInt(progress->parameters, "CForeFace"), 0) << name;
    }
    for (const auto& [label, name] :
         {std::pair{&w.Text_Title, "Text_Title"}, std::pair{&w.Text_Status, "Text_Status"},
          std::pair{&w.Text_StatusTotal, "Text_StatusTotal"},
          std::pair{&w.Text_LangBoxDescription, "Text_LangBoxDescription"}}) {
        expect_placed(label->parameters, name);
        EXPECT_GT(GetParamInt(label->parameters, "Size"), 0) << name;
    }
    expect_placed(w.WebPanel.parameters, "WebPanel");
    // The start button waits for the update; the full-check button appears after it.
    EXPECT_FALSE(GetParamBool(w.Button_StartGame.parameters, "Enabled"));
    EXPECT_FALSE(GetParamBool(w.Button_CheckAllFiles.parameters, "Visible"));
}

TEST(DefaultSkin, MainWindowRegionIsWellFormedRectangles) {
    const LoadedSkin skin = load_default_skin();
    platform::MemoryStream region(skin.main.BackGroundImage.region.bytes());
    ASSERT_GE(region.size(), 32u);
    EXPECT_EQ(region.read_int<std::uint32_t>(), 32u); // dwSize
    EXPECT_EQ(region.read_int<std::uint32_t>(), 1u);  // RDH_RECTANGLES
    const auto count = region.read_int<std::uint32_t>();
    EXPECT_EQ(region.read_int<std::uint32_t>(), count * 16);
    const std::int32_t bound[4] = {region.read_int<std::int32_t>(), region.read_int<std::int32_t>(),
                                   region.read_int<std::int32_t>(),
                                   region.read_int<std::int32_t>()};
    EXPECT_EQ(bound[2], 800);
    EXPECT_EQ(bound[3], 650);
    ASSERT_EQ(region.remaining_size(), count * 16u);
    std::int64_t area = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const auto left = region.read_int<std::int32_t>(), top = region.read_int<std::int32_t>();
        const auto right = region.read_int<std::int32_t>(),
                   bottom = region.read_int<std::int32_t>();
        EXPECT_TRUE(0 <= left && left < right && right <= 800 && 0 <= top && top < bottom &&
                    bottom <= 650);
        area += std::int64_t{right - left} * (bottom - top);
    }
    // Rounded corners cut a little off the full rectangle.
    EXPECT_LT(area, 800 * 650);
    EXPECT_GT(area, 800 * 650 - 1000);
}

Rect rect_of(const SkinControl& control) {
    return {control.Left(), control.Top(), control.Left() + control.Width(),
            control.Top() + control.Height()};
}

Rect rect_of(const StringList& parameters) {
    const auto value = [&](const char* key) {
        return static_cast<std::int32_t>(GetParamInt(parameters, key));
    };
    return {value("Left"), value("Top"), value("Left") + value("Width"),
            value("Top") + value("Height")};
}

TEST(DefaultSkin, EveryMainWindowControlSitsInsideTheOutlineWithoutOverlapping) {
    const LoadedSkin skin = load_default_skin();
    MainWindowControls controls;
    controls.ApplySkin(skin.main);
    const std::optional<Region> outline = MainWindowRegion(skin.main.BackGroundImage);
    ASSERT_TRUE(outline);
    const TqorMainWindow& w = skin.main;
    const std::pair<Rect, const char*> places[] = {
        {rect_of(controls.Button_StartGame), "Button_StartGame"},
        {rect_of(controls.Button_Cancel), "Button_Cancel"},
        {rect_of(controls.Button_CheckAllFiles), "Button_CheckAllFiles"},
        {rect_of(controls.Button_Close), "Button_Close"},
        {rect_of(controls.Button_Minimize), "Button_Minimize"},
        {rect_of(controls.Button_Config), "Button_Config"},
        {rect_of(controls.ProgressBar_OneFile), "ProgressBar_OneFile"},
        {rect_of(controls.ProgressBar_Total), "ProgressBar_Total"},
        {rect_of(controls.Gauge_OneFile), "Gauge_OneFile"},
        {rect_of(controls.Gauge_Total), "Gauge_Total"},
        {rect_of(w.WebPanel.parameters), "WebPanel"},
        {rect_of(w.Text_Title.parameters), "Text_Title"},
        {rect_of(w.Text_Status.parameters), "Text_Status"},
        {rect_of(w.Text_StatusTotal.parameters), "Text_StatusTotal"},
        {rect_of(w.Text_LangBoxDescription.parameters), "Text_LangBoxDescription"}};
    for (std::size_t i = 0; i < std::size(places); ++i) {
        const auto& [rect, name] = places[i];
        ASSERT_FALSE(rect.empty()) << name;
        for (const auto& [x, y] : {std::pair{rect.left, rect.top},
                                   {rect.right - 1, rect.top},
                                   {rect.left, rect.bottom - 1},
                                   {rect.right - 1, rect.bottom - 1}})
            EXPECT_TRUE(outline->Contains(x, y)) << name << " corner " << x << "," << y;
        for (std::size_t j = i + 1; j < std::size(places); ++j)
            EXPECT_TRUE(rect.intersect(places[j].first).empty())
                << name << " overlaps " << places[j].second;
    }
    // Every button image has the size its parameters promise, so nothing moves
    // when the button changes state.
    EXPECT_EQ(controls.Button_StartGame.Width(),
              GetParamInt(w.Button_StartGame.parameters, "Width"));
}

TEST(DefaultSkin, PreviewIsOpaqueInsideTheOutlineAndClearOutside) {
    const LoadedSkin skin = load_default_skin();
    const Bitmap preview = RenderMainWindowPreview(skin.main, {});
    const std::optional<Region> outline = MainWindowRegion(skin.main.BackGroundImage);
    ASSERT_TRUE(outline);
    for (int y = 0; y < preview.height(); ++y)
        for (int x = 0; x < preview.width(); ++x)
            ASSERT_EQ(preview.pixel(x, y) >> 24, outline->Contains(x, y) ? 0xFFu : 0u)
                << x << "," << y;
    EXPECT_EQ(preview.pixel(0, 0), 0u);
    EXPECT_EQ(preview.pixel(799, 649), 0u);
}

TEST(DefaultSkin, SettingsWindowHasEveryMember) {
    const LoadedSkin skin = load_default_skin();
    const TqorConfigWindow& w = skin.settings;
    const Bitmap& background = w.BackGroundImage.image;
    ASSERT_EQ(background.width(), 520);
    ASSERT_EQ(background.height(), 360);
    // The key colour cuts the corners and nothing inside.
    const std::uint32_t key = background.pixel(0, 0);
    EXPECT_EQ(background.pixel(519, 359), key);
    EXPECT_NE(background.pixel(260, 180), key);
    const std::pair<const StringList*, const char*> members[] = {
        {&w.Text_Title.parameters, "Text_Title"},
        {&w.Text_Language.parameters, "Text_Language"},
        {&w.Text_Autoclose.parameters, "Text_Autoclose"},
        {&w.Text_Proxy.parameters, "Text_Proxy"},
        {&w.Text_DriveType.parameters, "Text_DriveType"},
        {&w.Text_CheckType.parameters, "Text_CheckType"},
        {&w.Box_Language.parameters, "Box_Language"},
        {&w.Check_Autoclose.parameters, "Check_Autoclose"},
        {&w.Box_Proxy.parameters, "Box_Proxy"},
        {&w.Box_DriveType.parameters, "Box_DriveType"},
        {&w.Box_CheckType.parameters, "Box_CheckType"},
        {&w.Button_Ok.parameters, "Button_Ok"}};
    for (const auto& [parameters, name] : members)
        expect_placed(*parameters, name);
}

TEST(DefaultSkin, RoundTripsThroughAFolder) {
    const platform::Bytes skin = ComposeSkinStream(default_skin);
    testing::TempDir target;
    EXPECT_EQ(DecomposeSkinStream(skin, target.path()), skin.size());
    EXPECT_EQ(ComposeSkinStream(target.path()), skin);
}

} // namespace
} // namespace launcher
