// The publisher's skin check: each mistake gives one warning that names the
// member and says what the launcher makes of it; the default skin gives none.
#include "skin/region.h"
#include "skin/skin_check.h"
#include "skin/skin_source.h"
#include "skin/skin_windows.h"

#include <filesystem>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace launcher {
namespace {

struct Skin {
    TqorMainWindow main;
    TqorConfigWindow settings;
};

std::unique_ptr<Skin> default_skin() {
    static const platform::Bytes bytes =
        ComposeSkinStream(std::filesystem::path(LAUNCHER_SOURCE_DIR) / "assets/skin");
    auto skin = std::make_unique<Skin>();
    platform::MemoryStream stream(bytes);
    skin->main.LoadFromStream(stream);
    skin->settings.LoadFromStream(stream);
    return skin;
}

void set_line(StringList& parameters, const std::string& key, const std::string& line) {
    for (std::string& existing : parameters)
        if (existing.rfind(key + "=", 0) == 0) {
            existing = line;
            return;
        }
    parameters.push_back(line);
}

platform::Bytes rgn(std::initializer_list<Rect> rects) {
    return RgnDataFromRegion(Region(std::vector<Rect>(rects)));
}

TEST(SkinCheck, DefaultSkinGivesNoWarning) {
    const auto skin = default_skin();
    const auto warnings = CheckSkin(skin->main, skin->settings);
    for (const SkinWarning& warning : warnings)
        ADD_FAILURE() << warning.member << ": " << warning.text;
}

struct CheckCase {
    const char* name;
    std::function<void(Skin&)> change;
    SkinWindow window;
    const char* member;
    const char* field;
    const char* says; // a part of the warning's text
};

class SkinCheckCase : public ::testing::TestWithParam<CheckCase> {};

TEST_P(SkinCheckCase, GivesOneWarningNamingTheMember) {
    const CheckCase& c = GetParam();
    auto skin = default_skin();
    c.change(*skin);
    const auto warnings = CheckSkin(skin->main, skin->settings);
    std::string all;
    for (const SkinWarning& warning : warnings)
        all += "\n  " + warning.member + ": " + warning.text;
    ASSERT_EQ(warnings.size(), 1u) << all;
    EXPECT_EQ(warnings[0].window, c.window);
    EXPECT_EQ(warnings[0].member, c.member);
    EXPECT_EQ(warnings[0].field, c.field);
    EXPECT_NE(warnings[0].text.find(c.says), std::string::npos) << warnings[0].text;
}

constexpr auto Main = SkinWindow::Main;
constexpr auto Settings = SkinWindow::Settings;

INSTANTIATE_TEST_SUITE_P(
    Mistakes, SkinCheckCase,
    ::testing::Values(
        CheckCase{"typo_in_a_key",
                  [](Skin& s) { set_line(s.main.Button_StartGame.parameters, "Left", "Lef=600"); },
                  Main, "Button_StartGame", "parameters",
                  "\"Lef\" is not a parameter of Button_StartGame and is not read (it reads Left, "
                  "Top, Width, Height, Visible, Enabled); did you mean \"Left\"?"},
        CheckCase{"key_in_another_letter_case",
                  [](Skin& s) { set_line(s.settings.Box_Proxy.parameters, "Top", "top=161"); },
                  Settings, "Box_Proxy", "parameters", "did you mean \"Top\"?"},
        CheckCase{"label_key_on_a_button",
                  [](Skin& s) { s.main.Button_Close.parameters.push_back("Bold=true"); }, Main,
                  "Button_Close", "parameters", "\"Bold\" is not a parameter of Button_Close"},
        CheckCase{
            "flag_with_a_capital",
            [](Skin& s) { set_line(s.main.Text_Title.parameters, "Visible", "Visible=True"); },
            Main, "Text_Title", "parameters",
            "Visible=True is read as false: a flag is true only when written \"true\""},
        CheckCase{"flag_written_as_a_number",
                  [](Skin& s) { set_line(s.settings.Text_Proxy.parameters, "Bold", "Bold=1"); },
                  Settings, "Text_Proxy", "parameters", "Bold=1 is read as false"},
        CheckCase{"number_with_a_unit",
                  [](Skin& s) { set_line(s.main.Gauge_Total.parameters, "Top", "Top=560px"); },
                  Main, "Gauge_Total", "parameters", "Top=560px is not a number and is read as 0"},
        CheckCase{"line_without_equals",
                  [](Skin& s) { s.main.Progress_Total.parameters.push_back("Orientation 1"); },
                  Main, "Progress_Total", "parameters", "\"Orientation 1\" has no \"=\""},
        CheckCase{"key_given_twice",
                  [](Skin& s) { s.main.WebPanel.parameters.push_back("Left=5"); }, Main, "WebPanel",
                  "parameters", "Left is given more than once; the first line counts"},
        CheckCase{"button_reaches_outside",
                  [](Skin& s) { set_line(s.main.Button_Close.parameters, "Left", "Left=790"); },
                  Main, "Button_Close", "parameters",
                  "Button_Close at 790, 10 (30 x 26) reaches outside the 800 x 650 window"},
        CheckCase{
            "hidden_full_check_button_lies_outside",
            [](Skin& s) { set_line(s.main.Button_CheckAllFiles.parameters, "Top", "Top=700"); },
            Main, "Button_CheckAllFiles", "parameters", "lies outside the 800 x 650 window"},
        CheckCase{"label_lies_outside",
                  [](Skin& s) { set_line(s.main.Text_Status.parameters, "Left", "Left=-600"); },
                  Main, "Text_Status", "parameters", "lies outside"},
        CheckCase{"settings_box_reaches_outside",
                  [](Skin& s) { set_line(s.settings.Box_CheckType.parameters, "Top", "Top=350"); },
                  Settings, "Box_CheckType", "parameters", "reaches outside the 520 x 360 window"},
        CheckCase{
            "main_window_too_large",
            [](Skin& s) {
                s.main.BackGroundImage.image = Bitmap(1300, 700);
                s.main.BackGroundImage.region = platform::MemoryStream(rgn({{0, 0, 1300, 700}}));
            },
            Main, "BackGroundImage", "image", "1300 x 700, larger than 1280 x 1024"},
        CheckCase{"no_main_background", [](Skin& s) { s.main.BackGroundImage.image = Bitmap(); },
                  Main, "BackGroundImage", "image", "Sorry! Not found the config"},
        CheckCase{"outline_of_another_size",
                  [](Skin& s) {
                      s.main.BackGroundImage.region =
                          platform::MemoryStream(rgn({{0, 0, 820, 600}, {10, 600, 790, 640}}));
                  },
                  Main, "BackGroundImage", "region",
                  "the outline spans 820 x 640 pixels, but the background is 800 x 650"},
        CheckCase{"outline_that_is_not_region_data",
                  [](Skin& s) {
                      s.main.BackGroundImage.region =
                          platform::MemoryStream(platform::Bytes{'B', 'M', 1, 2, 3});
                  },
                  Main, "BackGroundImage", "region",
                  "the outline is not region data (the data (5 bytes) are shorter than the "
                  "32-byte RGNDATA header)"},
        CheckCase{"outline_counting_more_rectangles_than_it_holds",
                  [](Skin& s) {
                      platform::Bytes bytes = rgn({{0, 0, 800, 650}});
                      bytes[8] = 3;
                      s.main.BackGroundImage.region = platform::MemoryStream(bytes);
                  },
                  Main, "BackGroundImage", "region", "counts 3 rectangles, but the data hold 1"},
        CheckCase{"outline_without_pixels",
                  [](Skin& s) { s.main.BackGroundImage.region = platform::MemoryStream(rgn({})); },
                  Main, "BackGroundImage", "region", "holds no pixel"},
        CheckCase{"settings_background_too_large",
                  [](Skin& s) {
                      s.settings.BackGroundImage.image = Bitmap(600, 360);
                      s.settings.BackGroundImage.image.set_pixel(0, 0, argb(255, 0, 255));
                  },
                  Settings, "BackGroundImage", "image",
                  "600 x 360, but the settings window is 520 x 360"},
        CheckCase{
            "settings_background_of_one_colour",
            [](Skin& s) { s.settings.BackGroundImage.image = Bitmap(520, 360, argb(30, 30, 40)); },
            Settings, "BackGroundImage", "image",
            "all one colour, the colour of its top-left pixel"},
        CheckCase{"hover_image_reaches_outside",
                  [](Skin& s) { s.main.Button_Close.over = Bitmap(60, 26); }, Main, "Button_Close",
                  "over",
                  "the hover image (60 x 26) of Button_Close at 748, 10 reaches outside the 800 x "
                  "650 window"},
        CheckCase{"pressed_image_covers_the_next_button",
                  [](Skin& s) { s.main.Button_Config.down = Bitmap(40, 26); }, Main,
                  "Button_Config", "down",
                  "the pressed image (40 x 26) of Button_Config covers Button_Minimize at 714, 10 "
                  "(30 x 26) while it shows"},
        CheckCase{"hover_image_covers_the_news_panel",
                  [](Skin& s) { s.main.Button_Config.over = Bitmap(30, 60); }, Main,
                  "Button_Config", "over",
                  "the hover image (30 x 60) of Button_Config covers WebPanel at 20, 58 (760 x "
                  "392) while it shows"},
        CheckCase{"overlapping_buttons",
                  [](Skin& s) { set_line(s.main.Button_Cancel.parameters, "Top", "Top=500"); },
                  Main, "Button_Cancel", "parameters",
                  "Button_Cancel at 600, 500 (86 x 32) overlaps Button_StartGame at 600, 474 (178 "
                  "x 60): where they meet only one of them can be clicked"},
        CheckCase{
            "hidden_full_check_button_over_cancel",
            [](Skin& s) { set_line(s.main.Button_CheckAllFiles.parameters, "Left", "Left=600"); },
            Main, "Button_CheckAllFiles", "parameters", "overlaps Button_Cancel"},
        CheckCase{"caption_without_its_box",
                  [](Skin& s) {
                      set_line(s.settings.Box_Language.parameters, "Visible", "Visible=false");
                  },
                  Settings, "Text_Language", "parameters",
                  "Text_Language is visible, but its control Box_Language is not"},
        CheckCase{"main_language_caption_shown",
                  [](Skin& s) {
                      set_line(s.main.Text_LangBoxDescription.parameters, "Visible",
                               "Visible=true");
                  },
                  Main, "Text_LangBoxDescription", "parameters",
                  "captions a language-folder box the main window does not have"},
        CheckCase{"image_that_did_not_decode",
                  [](Skin& s) {
                      s.main.UnreadableImages.SetMember("Button_Config");
                      s.main.UnreadableImages.Add("over", "Invalid BMP image: the height is 0");
                  },
                  Main, "", "",
                  "does not decode and is left out: Button_Config.over: Invalid BMP image"}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

} // namespace
} // namespace launcher
