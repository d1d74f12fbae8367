// The main window's settings button with the real dialog: the click opens it
// over the window, the button's image follows the pointer afterwards, and
// the dialog's own controls hand the choices back.
#include "app/image_button_widget.h"
#include "app/main_window.h"
#include "app/settings_window.h"
#include "app/skin_label.h"
#include "default_startup.h"
#include "platform/plain_event_loop.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace launcher::app {
namespace {

// The main window with its settings window, on the built-in package, on a
// loop in virtual time.
class SettingsExchangeTest : public ::testing::Test {
protected:
    SettingsExchangeTest() {
        tConfigData& config = *startup.state.ConfigData;
        config.SettingsWindow.FadeEffect = false;
    }

    tConfigData& config() { return *startup.state.ConfigData; }

    // Builds both windows as start-up does, after the test's configuration.
    void build() {
        MainWindowSetup setup;
        setup.MainPath = folder.path();
        setup.self_executable = folder / "launcher";
        window = std::make_unique<TFMain>(loop, startup.state, setup);
        window->SetDataToForm();
        settings = std::make_unique<TFSettings>(loop, config(), startup.state.Skin->ConfigWindow,
                                                window->presenter().settings(), window.get());
        settings->SetDataToForm();
        window->SetSettingsWindow(settings.get());
    }

    // Clicks the main window's settings button. Once the dialog is up,
    // `while_open` may look at it and change it; then Ok closes it.
    void open_settings(const std::function<void(TFSettings&)>& while_open = {}) {
        opened = false;
        QTimer::singleShot(0, settings.get(), [this, while_open] {
            opened = settings->isVisible();
            if (while_open)
                while_open(*settings);
            settings->controls().Button_Ok->click();
        });
        window->presenter().Button_ConfigClick();
        ASSERT_TRUE(opened);
        ASSERT_FALSE(settings->isVisible());
    }

    testing::TempDir folder;
    DefaultStartup startup;
    platform::ManualClock clock;
    platform::PlainEventLoop loop{clock};
    std::unique_ptr<TFMain> window;
    std::unique_ptr<TFSettings> settings;
    bool opened = false;
};

TEST_F(SettingsExchangeTest, SettingsButtonOpensTheDialogOverTheMainWindow) {
    build();
    window->move(100, 50);
    QPoint shown_at;
    QTimer::singleShot(0, settings.get(), [&] {
        shown_at = settings->pos();
        settings->accept();
    });
    ImageButtonWidget* button = nullptr;
    for (auto* candidate : window->findChildren<ImageButtonWidget*>())
        if (&candidate->button() == &window->controls().Button_Config)
            button = candidate;
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(2, 2));
    const QSize main = window->size();
    EXPECT_EQ(shown_at,
              QPoint(100 + main.width() / 2 - 260 - 60, 50 + main.height() / 2 - 180 - 60));
}

// The settings button is clicked, the pointer moves away while the dialog is
// open, the dialog closes: the button shows its normal image, not the pressed
// or hovered one. With the pointer back over it, it shows the released one.
TEST_F(SettingsExchangeTest, AfterTheDialogTheSettingsButtonShowsTheImageForThePointer) {
    build();
    LanguageStrings()[0].clear(); // no news page to wait for
    window->move(0, 0);
    window->show();
    ImageButtonWidget* button = nullptr;
    for (auto* candidate : window->findChildren<ImageButtonWidget*>())
        if (&candidate->button() == &window->controls().Button_Config)
            button = candidate;
    ASSERT_NE(button, nullptr);
    const TImageButton& model = window->controls().Button_Config;
    for (const bool back_over : {false, true}) {
        QCursor::setPos(button->mapToGlobal(QPoint(3, 3)));
        QTimer::singleShot(0, settings.get(), [&] {
            QCursor::setPos(back_over ? button->mapToGlobal(QPoint(3, 3)) : QPoint(3000, 3000));
            settings->accept();
        });
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(3, 3));
        EXPECT_EQ(model.ActualBmp(), back_over ? model.MUp() : model.Bmp()) << back_over;
    }
}

TEST_F(SettingsExchangeTest, TheDialogsCheckBoxAndListsAreTakenBack) {
    build();
    window->presenter().settings().AutoClose = false;
    open_settings([](TFSettings& dialog) {
        dialog.controls().Check_Autoclose->setChecked(true);
        dialog.controls().Box_DriveType->setCurrentIndex(0);
        dialog.controls().Box_CheckType->setCurrentIndex(2);
    });
    EXPECT_TRUE(window->presenter().settings().AutoClose);
    EXPECT_EQ(window->presenter().settings().DriveType, "HDD");
    EXPECT_EQ(window->presenter().settings().CheckMode, "Light: Previous List");
}

TEST_F(SettingsExchangeTest, PickedLanguageRelabelsTheDialogButNotTheMainTooltips) {
    build();
    const QString start_tooltip = window->start_button().toolTip();
    ASSERT_EQ(start_tooltip, "Start the game");
    open_settings([](TFSettings& dialog) {
        dialog.controls().Box_Language->setFocus();
        QTest::keyClick(dialog.controls().Box_Language, Qt::Key_End);
        EXPECT_EQ(dialog.controls().Text_Title->text(), "Настройки");
    });
    EXPECT_EQ(window->presenter().settings().LangConst, 1049);
    EXPECT_EQ(window->start_button().toolTip(), start_tooltip);
    EXPECT_EQ(window->lang_box_description_label().text(), "Язык");
}

} // namespace
} // namespace launcher::app
