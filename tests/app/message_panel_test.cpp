#include "app/message_panel.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace launcher::app {
namespace {

// Ticks a timer by hand, as its period passing would.
void tick(QTimer& timer) {
    ASSERT_TRUE(timer.isActive());
    QMetaObject::invokeMethod(&timer, "timeout");
}

class MessagePanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(800, 600);
        panel = new MessagePanel(&window);
        window.show();
    }

    void grow_fully() {
        for (int step = 0; step < MessagePanel::kGrowSteps; ++step)
            tick(panel->MsgTimer);
    }

    QWidget window;
    MessagePanel* panel = nullptr;
};

TEST_F(MessagePanelTest, StartsHiddenAtItsDesignedPlace) {
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(panel->geometry(), QRect(552, 35, 239, 45));
    EXPECT_EQ(panel->MsgCloseBtn->text(), "X");
}

TEST_F(MessagePanelTest, GrowsFivePixelsPerTickThenStaysOpen) {
    panel->MsgShow("Proxy not answering");
    EXPECT_EQ(panel->text(), "Proxy not answering");
    EXPECT_TRUE(panel->MsgTimer.isActive());
    tick(panel->MsgTimer);
    EXPECT_FALSE(panel->isHidden());
    EXPECT_EQ(panel->height(), 5);
    for (int step = 2; step <= MessagePanel::kGrowSteps; ++step)
        tick(panel->MsgTimer);
    EXPECT_EQ(panel->height(), 45);
    EXPECT_FALSE(panel->MsgTimer.isActive());
    EXPECT_TRUE(panel->MsgTimer2.isActive());
    EXPECT_EQ(panel->MsgTimer2.interval(), 10000);
}

TEST_F(MessagePanelTest, LongMessageGrowsThePanelUntilEveryLineShows) {
    const std::string reason = "Cannot start system/jux.exe: it is not a program of this system "
                               "and wine is not installed";
    panel->MsgShow(reason);
    const int lines_height = panel->MsgLabel->heightForWidth(panel->MsgLabel->width());
    ASSERT_GT(lines_height, 29); // more than the designed label holds
    int ticks = 0;
    while (panel->MsgTimer.isActive() && ticks < 100) {
        tick(panel->MsgTimer);
        ++ticks;
    }
    EXPECT_GT(ticks, MessagePanel::kGrowSteps);
    EXPECT_TRUE(panel->MsgTimer2.isActive());
    EXPECT_EQ(panel->MsgLabel->height(), lines_height);
    EXPECT_GE(panel->height(), panel->MsgLabel->geometry().bottom() + 1);
    EXPECT_EQ(panel->height(), panel->OpenHeight());
}

TEST_F(MessagePanelTest, SecondMessageWhileOpenOnlyReplacesTheText) {
    panel->MsgShow("first");
    grow_fully();
    const int remaining = panel->MsgTimer2.remainingTime();
    panel->MsgShow("second");
    EXPECT_EQ(panel->text(), "second");
    EXPECT_FALSE(panel->MsgTimer.isActive());
    EXPECT_TRUE(panel->MsgTimer2.isActive());
    EXPECT_LE(panel->MsgTimer2.remainingTime(), remaining);
}

TEST_F(MessagePanelTest, ClosingTimerHidesAndResets) {
    panel->MsgShow("first");
    grow_fully();
    tick(panel->MsgTimer2);
    EXPECT_TRUE(panel->isHidden());
    EXPECT_FALSE(panel->MsgTimer2.isActive());
    // The next message grows the panel from the start again.
    panel->MsgShow("again");
    tick(panel->MsgTimer);
    EXPECT_EQ(panel->height(), 5);
}

TEST_F(MessagePanelTest, CloseButtonHidesWhileGrowing) {
    panel->MsgShow("first");
    tick(panel->MsgTimer);
    tick(panel->MsgTimer);
    QTest::mouseClick(panel->MsgCloseBtn, Qt::LeftButton);
    EXPECT_TRUE(panel->isHidden());
    EXPECT_FALSE(panel->MsgTimer.isActive());
    EXPECT_FALSE(panel->MsgTimer2.isActive());
}

} // namespace
} // namespace launcher::app
