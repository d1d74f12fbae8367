// The image button: images by state, sizing to the image shown, and the
// order of its events.
#include "control_recorder.h"
#include "skin/image_button.h"

#include <string>

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::ControlRecorder;

// Images told apart by colour and size.
const Bitmap kNormal(120, 40, argb(10, 10, 10));
const Bitmap kOver(124, 44, argb(20, 20, 20));
const Bitmap kDown(118, 38, argb(30, 30, 30));
const Bitmap kUp(120, 42, argb(40, 40, 40));
const Bitmap kDisabled(100, 30, argb(50, 50, 50));

struct Size {
    int width, height;
    friend bool operator==(const Size&, const Size&) = default;
};
Size size_of(const SkinControl& control) {
    return {control.Width(), control.Height()};
}
Size size_of(const Bitmap& image) {
    return {image.width(), image.height()};
}

// A button with the images chosen, as the skin sets it up.
void set_up(TImageButton& button, bool over = true, bool down = true, bool up = true,
            bool disabled = true) {
    button.AssignImages({kNormal, over ? kOver : Bitmap{}, disabled ? kDisabled : Bitmap{},
                         down ? kDown : Bitmap{}, up ? kUp : Bitmap{}});
    button.RePaint();
}

TEST(ImageButton, ANewButtonIs50By50WithHintsAndNoImages) {
    TImageButton button;
    EXPECT_EQ(size_of(button), (Size{50, 50}));
    EXPECT_TRUE(button.ShowHint());
    EXPECT_TRUE(button.Bmp().empty());
    EXPECT_EQ(button.Paint(), Bitmap(50, 50, TImageButton::kButtonFace));
}

TEST(ImageButton, WritingTheNormalImageShowsItAndSizesTheButton) {
    TImageButton button;
    ControlRecorder host(button);
    button.SetBitmap(kNormal);
    EXPECT_EQ(size_of(button), size_of(kNormal));
    EXPECT_EQ(button.ActualBmp(), kNormal);
    EXPECT_EQ(host.changes, (std::vector{ControlChange::BoundsChanged, ControlChange::RepaintNow}));
    host.clear();
    // The other images are copied and the button painted; its size stays.
    button.SetBitmapOver(kOver);
    EXPECT_EQ(button.MOver(), kOver);
    EXPECT_EQ(size_of(button), size_of(kNormal));
    EXPECT_EQ(host.changes, std::vector{ControlChange::RepaintNow});
}

TEST(ImageButton, AssigningImagesNeitherPaintsNorSizes) {
    TImageButton button;
    ControlRecorder host(button);
    button.AssignImages({kNormal, kOver, kDisabled, kDown, kUp});
    EXPECT_TRUE(host.changes.empty());
    EXPECT_EQ(size_of(button), (Size{50, 50}));
    EXPECT_TRUE(button.ActualBmp().empty());
    button.RePaint();
    EXPECT_EQ(size_of(button), size_of(kNormal));
    EXPECT_EQ(button.ActualBmp(), kNormal);
}

TEST(ImageButton, RePaintWithoutANormalImageChangesNothing) {
    TImageButton button;
    button.SetBounds(5, 6, 300, 20);
    ControlRecorder host(button);
    button.RePaint();
    EXPECT_TRUE(host.changes.empty());
    EXPECT_EQ(size_of(button), (Size{300, 20}));
}

TEST(ImageButton, TheHoverImageResizesTheButtonUntilThePointerLeaves) {
    TImageButton button;
    set_up(button);
    button.MouseEnter();
    EXPECT_EQ(size_of(button), (Size{124, 44}));
    EXPECT_EQ(button.Paint(), kOver);
    button.MouseLeave();
    EXPECT_EQ(size_of(button), (Size{120, 40}));
    EXPECT_EQ(button.Paint(), kNormal);
}

TEST(ImageButton, WithoutAHoverImageEnteringChangesNothing) {
    TImageButton button;
    set_up(button, /*over=*/false);
    ControlRecorder host(button);
    button.MouseEnter();
    EXPECT_TRUE(host.changes.empty());
    EXPECT_EQ(button.ActualBmp(), kNormal);
}

TEST(ImageButton, ADisabledButtonShowsItsDisabledImageAtItsSize) {
    TImageButton button;
    set_up(button);
    button.SetEnabled(false);
    EXPECT_EQ(size_of(button), size_of(kDisabled));
    EXPECT_EQ(button.Paint(), kDisabled);
    // Enabling it again shows the current image at its size.
    button.SetEnabled(true);
    EXPECT_EQ(size_of(button), size_of(kNormal));
    EXPECT_EQ(button.Paint(), kNormal);
}

TEST(ImageButton, ADisabledButtonWithoutADisabledImageShowsTheCurrentOne) {
    TImageButton button;
    set_up(button, true, true, true, /*disabled=*/false);
    button.SetEnabled(false);
    EXPECT_EQ(size_of(button), size_of(kNormal));
    EXPECT_EQ(button.Paint(), kNormal);
}

TEST(ImageButton, ADisabledButtonIgnoresThePointerAndTheMouseButtons) {
    TImageButton button;
    set_up(button);
    button.SetEnabled(false);
    int events = 0;
    button.OnClick = [&](SkinControl&) { ++events; };
    button.OnMouseDown = [&](SkinControl&, MouseButton, TShiftState, int, int) { ++events; };
    button.OnMouseUp = [&](SkinControl&, MouseButton, TShiftState, int, int) { ++events; };
    ControlRecorder host(button);
    button.MouseEnter();
    button.MouseDown(MouseButton::Left, ssLeft, 5, 5);
    button.MouseUp(MouseButton::Left, 0, 5, 5);
    button.MouseLeave();
    EXPECT_EQ(events, 0);
    EXPECT_TRUE(host.changes.empty());
    EXPECT_EQ(button.ActualBmp(), kNormal);
}

TEST(ImageButton, PressesOfOtherButtonsAreIgnored) {
    for (MouseButton other : {MouseButton::Right, MouseButton::Middle}) {
        TImageButton button;
        set_up(button);
        int events = 0;
        button.OnClick = [&](SkinControl&) { ++events; };
        button.OnMouseDown = [&](SkinControl&, MouseButton, TShiftState, int, int) { ++events; };
        button.OnMouseUp = [&](SkinControl&, MouseButton, TShiftState, int, int) { ++events; };
        ControlRecorder host(button);
        button.MouseDown(other, ssRight, 5, 5);
        button.MouseUp(other, 0, 5, 5);
        EXPECT_EQ(events, 0);
        EXPECT_TRUE(host.changes.empty());
        EXPECT_EQ(button.ActualBmp(), kNormal);
    }
}

TEST(ImageButton, AClickRunsPressedImageThenOnClickThenTheReleaseImage) {
    TImageButton button;
    set_up(button);
    std::vector<std::string> log;
    button.OnMouseDown = [&](SkinControl& sender, MouseButton, TShiftState shift, int x, int y) {
        EXPECT_EQ(&sender, &button);
        log.push_back("down " + std::to_string(shift) + " " + std::to_string(x) + "," +
                      std::to_string(y));
    };
    button.OnClick = [&](SkinControl&) {
        // The pressed image is still shown while the handler runs.
        EXPECT_EQ(button.ActualBmp(), kDown);
        log.push_back("click");
    };
    button.OnMouseUp = [&](SkinControl&, MouseButton, TShiftState, int, int) {
        log.push_back("up");
    };
    ControlRecorder host(button);
    button.MouseEnter();
    button.MouseDown(MouseButton::Left, ssLeft, 3, 4);
    EXPECT_EQ(button.ActualBmp(), kDown);
    EXPECT_EQ(size_of(button), size_of(kDown));
    button.MouseUp(MouseButton::Left, 0, 3, 4);
    EXPECT_EQ(log, (std::vector<std::string>{"down 8 3,4", "click", "up"}));
    EXPECT_EQ(button.ActualBmp(), kUp);
    EXPECT_EQ(size_of(button), size_of(kUp));
    // The released image is what a later full paint shows as well.
    EXPECT_EQ(button.Paint(), kUp);
}

TEST(ImageButton, APressMovedAwayRaisesNoClickAndShowsTheNormalImage) {
    TImageButton button;
    set_up(button);
    int clicks = 0, ups = 0;
    button.OnClick = [&](SkinControl&) { ++clicks; };
    button.OnMouseUp = [&](SkinControl&, MouseButton, TShiftState, int, int) { ++ups; };
    button.MouseEnter();
    button.MouseDown(MouseButton::Left, ssLeft, 3, 4);
    button.MouseUp(MouseButton::Left, 0, 500, 4);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(button.ActualBmp(), kNormal);
    EXPECT_EQ(size_of(button), size_of(kNormal));
}

// The click's handler opens a dialog; when it closes, the pointer is where
// the player left it, and that decides the image, not the release's place.
TEST(ImageButton, AfterTheClickHandlerTheImageFollowsWhereThePointerIsNow) {
    for (const bool over_after : {false, true}) {
        TImageButton button;
        set_up(button);
        bool pointer_over = true;
        button.PointerIsOver = [&] { return pointer_over; };
        button.OnClick = [&](SkinControl&) { pointer_over = over_after; };
        button.MouseEnter();
        button.MouseDown(MouseButton::Left, ssLeft, 3, 4);
        button.MouseUp(MouseButton::Left, 0, 3, 4);
        EXPECT_EQ(button.ActualBmp(), over_after ? kUp : kNormal) << over_after;
        EXPECT_EQ(button.Paint(), over_after ? kUp : kNormal) << over_after;
    }
}

TEST(ImageButton, AReleaseWithoutAPressIsNoClick) {
    TImageButton button;
    set_up(button);
    int clicks = 0;
    button.OnClick = [&](SkinControl&) { ++clicks; };
    button.MouseUp(MouseButton::Left, 0, 3, 4);
    EXPECT_EQ(clicks, 0);
}

struct ReleaseCase {
    const char* name;
    bool has_up;
    bool has_over;
    bool pointer_over;
    Bitmap expected;
};

class ImageAfterRelease : public ::testing::TestWithParam<ReleaseCase> {};

TEST_P(ImageAfterRelease, FollowsTheReleaseTable) {
    const ReleaseCase& c = GetParam();
    TImageButton button;
    set_up(button, c.has_over, /*down=*/true, c.has_up);
    button.MouseDown(MouseButton::Left, ssLeft, 1, 1);
    // The pointer's place at the release, relative to the pressed button.
    button.MouseUp(MouseButton::Left, 0, c.pointer_over ? 1 : -1, 1);
    EXPECT_EQ(button.ActualBmp(), c.expected);
    EXPECT_EQ(size_of(button), size_of(c.expected));
    EXPECT_EQ(button.Paint(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ImageAfterRelease,
    ::testing::Values(ReleaseCase{"UpImageOver", true, true, true, kUp},
                      ReleaseCase{"UpImageElsewhere", true, true, false, kNormal},
                      ReleaseCase{"NoUpImageOver", false, true, true, kOver},
                      ReleaseCase{"NoUpOrHoverImageOver", false, false, true, kNormal},
                      ReleaseCase{"NoUpImageElsewhere", false, true, false, kNormal}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

TEST(ImageButton, PaintFillsTheBackgroundBehindASmallerImage) {
    TImageButton button;
    button.AssignImages({Bitmap(2, 2, argb(1, 2, 3)), {}, {}, {}, {}});
    button.SetBounds(0, 0, 3, 2);
    // The current image is empty, so the paint takes the normal image.
    const Bitmap image = button.Paint();
    EXPECT_EQ(button.ActualBmp(), Bitmap(2, 2, argb(1, 2, 3)));
    EXPECT_EQ(image.pixel(1, 1), argb(1, 2, 3));
    EXPECT_EQ(image.pixel(2, 1), TImageButton::kButtonFace);
    button.SetVisible(false);
    EXPECT_TRUE(button.Paint().empty());
}

} // namespace
} // namespace launcher
