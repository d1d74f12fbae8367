// The launcher's window and the publisher's preview draw a skin alike: a
// button image with an alpha mask lies over the background by its alpha, and
// a background's own alpha is not used.
#include "app/main_window.h"
#include "app/qt_event_loop.h"
#include "default_startup.h"
#include "skin/skin_apply.h"
#include "skin/skin_preview.h"
#include "support/temp_dir.h"

#include <QCursor>
#include <QImage>
#include <algorithm>
#include <cstdlib>

#include <gtest/gtest.h>

namespace launcher::app {
namespace {

// Channels that differ by at most `tolerance` (the window blends with its
// own rounding).
bool close_to(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (const int shift : {16, 8, 0})
        if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) >
            tolerance)
            return false;
    return true;
}

TEST(SkinPicture, WindowShowsWhatThePreviewShowsForImagesWithAlpha) {
    QCursor::setPos(2000, 2000);
    DefaultStartup start;
    TqorMainWindow& skin = start.state.Skin->MainWindow;
    const Rect area{690, 0, 800, 44};
    // A background with alpha 0 around the close button, and close button
    // images from opaque to clear.
    Bitmap& background = skin.BackGroundImage.image;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            background.set_pixel(x, y, background.pixel(x, y) & 0x00FFFFFF);
    Bitmap button(30, 26);
    for (int y = 0; y < button.height(); ++y)
        for (int x = 0; x < button.width(); ++x)
            button.set_pixel(x, y,
                             argb(220, 40, static_cast<std::uint8_t>(8 * y),
                                  static_cast<std::uint8_t>(std::max(0, 255 - 9 * x))));
    for (Bitmap* image : {&skin.Button_Close.common, &skin.Button_Close.over,
                          &skin.Button_Close.down, &skin.Button_Close.up})
        *image = button;

    testing::TempDir folder;
    MainWindowSetup setup;
    setup.MainPath = folder.path();
    setup.self_executable = folder / "launcher";
    QtEventLoop loop;
    TFMain window(loop, start.state, setup);
    window.SetDataToForm();
    const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const Bitmap preview = RenderMainWindowPreview(skin, PreviewOptions{});
    const auto outline = MainWindowRegion(skin.BackGroundImage);

    int compared = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            if (outline && !outline->Contains(x, y))
                continue;
            const std::uint32_t seen = shot.pixel(x, y);
            const std::uint32_t drawn = preview.pixel(x, y);
            ASSERT_EQ(drawn >> 24, 0xFFu) << "preview pixel (" << x << ", " << y << ")";
            ASSERT_TRUE(close_to(seen, drawn, 2)) << "pixel (" << x << ", " << y << "): window "
                                                  << std::hex << seen << ", preview " << drawn;
            ++compared;
        }
    EXPECT_GT(compared, 3000);
    // The button does blend: its clear columns show the background.
    const int left = static_cast<int>(window.controls().Button_Close.Left());
    const int top = static_cast<int>(window.controls().Button_Close.Top());
    EXPECT_EQ(preview.pixel(left + 29, top + 5),
              background.pixel(left + 29, top + 5) | 0xFF000000u);
}

} // namespace
} // namespace launcher::app
