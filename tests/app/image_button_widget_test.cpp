#include "app/image_button_widget.h"

#include <QEnterEvent>
#include <QImage>
#include <QTest>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace launcher::app {
namespace {

constexpr std::uint32_t kNormal = argb(10, 20, 30);
constexpr std::uint32_t kOver = argb(40, 50, 60);
constexpr std::uint32_t kDown = argb(70, 80, 90);
constexpr std::uint32_t kUp = argb(100, 110, 120);
constexpr std::uint32_t kDisabled = argb(130, 140, 150);

// A button with five one-coloured 40 x 20 images, shown in a parent widget
// away from the offscreen cursor's start so that no hover comes by itself.
class ImageButtonWidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        QCursor::setPos(500, 500);
        ButtonImages images{Bitmap(40, 20, kNormal), Bitmap(40, 20, kOver),
                            Bitmap(40, 20, kDisabled), Bitmap(40, 20, kDown), Bitmap(40, 20, kUp)};
        button.AssignImages(images);
        button.SetBounds(30, 40, 0, 0);
        button.RePaint();
        button.OnClick = [this](SkinControl&) { events.push_back("click"); };
        button.OnMouseUp = [this](SkinControl&, MouseButton, TShiftState, int, int) {
            events.push_back("up");
        };
        parent.resize(200, 200);
        parent.move(300, 0);
        host = new ImageButtonWidget(button, &parent);
        parent.show();
    }

    std::uint32_t shown_color() { return host->grab().toImage().pixel(5, 5); }

    void enter() {
        QEnterEvent event(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(host, &event);
    }

    TImageButton button;
    QWidget parent;
    ImageButtonWidget* host = nullptr;
    std::vector<std::string> events;
};

TEST_F(ImageButtonWidgetTest, TakesTheModelsPlaceAndSize) {
    EXPECT_EQ(host->geometry(), QRect(30, 40, 40, 20));
    EXPECT_EQ(shown_color(), kNormal);
}

TEST_F(ImageButtonWidgetTest, HoverShowsTheOverImageAndLeavingTheNormalOne) {
    enter();
    EXPECT_EQ(shown_color(), kOver);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(host, &leave);
    EXPECT_EQ(shown_color(), kNormal);
}

TEST_F(ImageButtonWidgetTest, PressShowsTheDownImage) {
    enter();
    QTest::mousePress(host, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(shown_color(), kDown);
}

TEST_F(ImageButtonWidgetTest, ReleaseOverTheButtonClicksBeforeMouseUp) {
    QCursor::setPos(host->mapToGlobal(QPoint(5, 5)));
    enter();
    QTest::mousePress(host, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(host, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(events, (std::vector<std::string>{"click", "up"}));
    EXPECT_EQ(shown_color(), kUp);
}

TEST_F(ImageButtonWidgetTest, ReleaseElsewhereIsNoClick) {
    QTest::mousePress(host, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(host, Qt::LeftButton, {}, QPoint(150, 150));
    EXPECT_EQ(events, (std::vector<std::string>{"up"}));
    EXPECT_EQ(shown_color(), kNormal);
}

// The click opens something that takes the pointer away (a dialog): once the
// click is over, the button shows its normal image, not the released one.
TEST_F(ImageButtonWidgetTest, PointerTakenAwayDuringTheClickLeavesTheNormalImage) {
    QCursor::setPos(host->mapToGlobal(QPoint(5, 5)));
    button.OnClick = [](SkinControl&) { QCursor::setPos(2000, 2000); };
    enter();
    QTest::mousePress(host, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(host, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(shown_color(), kNormal);
}

TEST_F(ImageButtonWidgetTest, RightButtonDoesNothing) {
    QTest::mouseClick(host, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_TRUE(events.empty());
}

TEST_F(ImageButtonWidgetTest, DisabledButtonShowsItsImageAndIgnoresTheMouse) {
    button.SetEnabled(false);
    EXPECT_EQ(shown_color(), kDisabled);
    enter();
    QTest::mouseClick(host, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(shown_color(), kDisabled);
}

TEST_F(ImageButtonWidgetTest, PressOnTheButtonDoesNotReachTheWindow) {
    struct PressCounter : QObject {
        int presses = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::MouseButtonPress)
                ++presses;
            return false;
        }
    } counter;
    parent.installEventFilter(&counter);
    QTest::mousePress(host, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(counter.presses, 0);
    parent.removeEventFilter(&counter);
}

TEST(SkinControlWidgetTest, RepaintNowDrawsBeforeReturning) {
    TImageButton model;
    model.SetBitmap(Bitmap(10, 10, kNormal));
    QWidget parent;
    parent.resize(50, 50);
    int paints = 0;
    auto* host = new SkinControlWidget(
        model,
        [&] {
            ++paints;
            return model.Paint();
        },
        &parent);
    parent.show();
    QCoreApplication::processEvents();
    const int before = paints;
    // No event processing in between: the paint happens inside the call, as
    // during a blocking step of the update.
    model.Repaint();
    EXPECT_GT(paints, before);
    (void)host;
}

} // namespace
} // namespace launcher::app
