// The toolkit-free preview of the windows, and its PNG form.
#include "skin/png_encoder.h"
#include "skin/skin_apply.h"
#include "skin/skin_preview.h"

#include <memory>
#include <stdexcept>

#include <gtest/gtest.h>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

namespace launcher {
namespace {

constexpr std::uint32_t kBackground = argb(10, 20, 30);

platform::Bytes region_bytes(const Rect& rect) {
    platform::MemoryStream out;
    for (std::uint32_t v : {32u, 1u, 1u, 16u, 0u, 0u, 0u, 0u})
        out.write_int<std::uint32_t>(v);
    for (std::int32_t v : {rect.left, rect.top, rect.right, rect.bottom})
        out.write_int<std::int32_t>(v);
    return out.bytes();
}

void set_button(TqorButton& button, int left, int top, std::uint8_t shade, bool visible = true,
                bool enabled = true) {
    button.parameters = {"Left=" + std::to_string(left), "Top=" + std::to_string(top),
                         std::string("Visible=") + (visible ? "true" : "false"),
                         std::string("Enabled=") + (enabled ? "true" : "false")};
    button.common = Bitmap(4, 3, argb(shade, 0, 0));
    button.over = Bitmap(4, 3, argb(shade, 1, 0));
    button.down = Bitmap(4, 3, argb(shade, 2, 0));
    button.disabled = Bitmap(4, 3, argb(shade, 3, 0));
}

// A 60 x 40 main window whose region leaves out the two leftmost columns.
std::unique_ptr<TqorMainWindow> small_skin() {
    auto skin = std::make_unique<TqorMainWindow>();
    skin->BackGroundImage.image = Bitmap(60, 40, kBackground);
    skin->BackGroundImage.region = platform::MemoryStream(region_bytes({2, 0, 60, 40}));
    set_button(skin->Button_StartGame, 5, 6, 100, true, false);
    set_button(skin->Button_Cancel, 12, 6, 110);
    set_button(skin->Button_CheckAllFiles, 19, 6, 120, false);
    set_button(skin->Button_Close, 26, 6, 130);
    set_button(skin->Button_Minimize, 33, 6, 140);
    set_button(skin->Button_Config, 40, 6, 150);
    skin->Progress_OneFile.parameters = {"Left=4",
                                         "Top=20",
                                         "Width=22",
                                         "Height=4",
                                         "Visible=true",
                                         "CForeFace=$0000FF",
                                         "CForeGrad=$0000FF",
                                         "CBackFace=$00FF00",
                                         "CBackGrad=$00FF00"};
    skin->Gauge_Total.parameters = {"Left=30", "Top=20", "Width=10", "Height=2", "Visible=true"};
    skin->Gauge_Total.FTex = Bitmap(10, 2, argb(0, 0, 255));
    skin->Text_Status.parameters = {"Left=4",   "Top=30",       "Width=20",
                                    "Height=6", "Visible=true", "Color=$00FFFFFF"};
    return skin;
}

TEST(MainWindowPreview, DrawsTheSkinnedControlsOverTheBackgroundInsideTheRegion) {
    const auto skin = small_skin();
    const Bitmap image = RenderMainWindowPreview(*skin, {});
    ASSERT_EQ(image.width(), 60);
    ASSERT_EQ(image.height(), 40);
    EXPECT_EQ(image.pixel(0, 10), 0u); // outside the region
    EXPECT_EQ(image.pixel(1, 39), 0u);
    EXPECT_EQ(image.pixel(2, 39), kBackground);
    // The start button is disabled by the skin and shows its disabled image;
    // the cancel button its normal image; the hidden full-check button nothing.
    EXPECT_EQ(image.pixel(5, 6), argb(100, 3, 0));
    EXPECT_EQ(image.pixel(8, 8), argb(100, 3, 0));
    EXPECT_EQ(image.pixel(9, 9), kBackground);
    EXPECT_EQ(image.pixel(12, 6), argb(110, 0, 0));
    EXPECT_EQ(image.pixel(19, 6), kBackground);
    // Progress at 50 %: fill = round(20 * 0.5) = 10 columns of red, then green.
    EXPECT_EQ(image.pixel(4 + 5, 21), argb(255, 0, 0));
    EXPECT_EQ(image.pixel(4 + 15, 21), argb(0, 255, 0));
    // The gauge uncovers half of its foreground; the rest shows the window.
    EXPECT_EQ(image.pixel(30, 20), argb(0, 0, 255));
    EXPECT_EQ(image.pixel(34, 21), argb(0, 0, 255));
    EXPECT_EQ(image.pixel(35, 21), kBackground);
    // The status label's place is outlined in its colour.
    EXPECT_EQ(image.pixel(4, 30), argb(255, 255, 255));
    EXPECT_EQ(image.pixel(10, 33), kBackground);
}

TEST(MainWindowPreview, ButtonStatesAndHiddenControlsOnRequest) {
    const auto skin = small_skin();
    const std::pair<PreviewButtonState, std::uint8_t> cases[] = {{PreviewButtonState::Over, 1},
                                                                 {PreviewButtonState::Down, 2},
                                                                 {PreviewButtonState::Disabled, 3}};
    for (const auto& [state, green] : cases) {
        const Bitmap image = RenderMainWindowPreview(*skin, {.buttons = state});
        EXPECT_EQ(image.pixel(5, 6), argb(100, green, 0)) << static_cast<int>(state);
        EXPECT_EQ(image.pixel(40, 6), argb(150, green, 0)) << static_cast<int>(state);
    }
    const Bitmap all = RenderMainWindowPreview(*skin, {.show_hidden = true});
    EXPECT_EQ(all.pixel(19, 6), argb(120, 0, 0));
    const Bitmap full = RenderMainWindowPreview(*skin, {.progress_percent = 100});
    EXPECT_EQ(full.pixel(4 + 19, 21), argb(255, 0, 0));
}

TEST(MainWindowPreview, ASkinWithoutBackgroundCannotBeDrawn) {
    const TqorMainWindow empty;
    EXPECT_THROW(RenderMainWindowPreview(empty, {}), std::runtime_error);
}

TEST(SettingsWindowPreview, CutsTheKeyColourAndKeepsTheDesignedSize) {
    TqorConfigWindow skin;
    constexpr std::uint32_t key = argb(255, 0, 255);
    skin.BackGroundImage.image = Bitmap(30, 20, kBackground);
    skin.BackGroundImage.image.set_pixel(0, 0, key);
    skin.BackGroundImage.image.set_pixel(10, 10, key);
    const Bitmap image = RenderSettingsWindowPreview(skin, {});
    ASSERT_EQ(image.width(), 520);
    ASSERT_EQ(image.height(), 360);
    EXPECT_EQ(image.pixel(0, 0), 0u);
    EXPECT_EQ(image.pixel(10, 10), 0u);
    EXPECT_EQ(image.pixel(11, 10), kBackground);
    EXPECT_EQ(image.pixel(100, 100), 0u); // beyond the image, outside its outline
}

TEST(SettingsWindowPreview, ABackgroundOfOneColourStaysOpaqueAsTheWindowShowsIt) {
    // Cutting its only colour would leave no window at all: the windows keep
    // their rectangle instead, and so does the preview.
    TqorConfigWindow skin;
    skin.BackGroundImage.image = Bitmap(520, 360, kBackground);
    const Bitmap image = RenderSettingsWindowPreview(skin, {});
    EXPECT_FALSE(SettingsWindowRegion(skin.BackGroundImage.image));
    for (const auto& [x, y] : {std::pair{0, 0}, {260, 180}, {519, 359}})
        EXPECT_EQ(image.pixel(x, y), kBackground) << x << "," << y;
}

TEST(PngEncoder, KeepsEveryPixelAndItsAlpha) {
    Bitmap image(7, 5, argb(1, 2, 3));
    image.set_pixel(0, 0, 0);
    image.set_pixel(6, 4, argb(200, 100, 50, 128));
    const std::vector<std::uint8_t> png = encode_png(image);
    int width = 0, height = 0, channels = 0;
    const std::unique_ptr<stbi_uc, void (*)(void*)> rgba(
        stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &width, &height, &channels,
                              4),
        stbi_image_free);
    ASSERT_TRUE(rgba);
    ASSERT_EQ(width, 7);
    ASSERT_EQ(height, 5);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const stbi_uc* p = rgba.get() + (y * width + x) * 4;
            EXPECT_EQ(argb(p[0], p[1], p[2], p[3]), image.pixel(x, y)) << x << "," << y;
        }
    EXPECT_THROW(encode_png(Bitmap{}), std::runtime_error);
}

} // namespace
} // namespace launcher
