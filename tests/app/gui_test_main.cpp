// GoogleTest's main for the widget tests: one QApplication on Qt's offscreen
// platform for every test of the run.
#include "app/news_browser.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    launcher::app::PrepareNewsBrowserEngine();
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
