#pragma once

#include "../app/default_startup.h"
#include "front/main_window_presenter.h"
#include "front/settings_presenter.h"
#include "platform/plain_event_loop.h"
#include "recording_surfaces.h"
#include "skin/main_window_controls.h"
#include "support/temp_dir.h"
#include "update/server_selection.h"
#include "update/update_workflow.h"

#include <chrono>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace launcher::front {

// No update server answers.
class SilentServers final : public ServerProbe {
public:
    std::optional<std::int64_t> Head(const std::string&, std::optional<std::int64_t>) override {
        return std::nullopt;
    }
};

// The main window's and the settings dialog's presenters on recording
// surfaces, on the built-in package, in virtual time. Tests change the
// configuration before build().
class WindowFixture : public ::testing::Test {
protected:
    WindowFixture() {
        config().MainWindow.FadeEffect = false;
        config().SettingsWindow.FadeEffect = false;
    }

    tConfigData& config() { return *startup.state.ConfigData; }

    void build() {
        MainWindowSetup setup;
        setup.MainPath = folder.path();
        setup.self_executable = folder / "launcher";
        setup.arguments = {"-debug"};
        main = std::make_unique<MainWindowPresenter>(loop, startup.state, setup, main_surface,
                                                     controls);
        main->workflow().MakeServerProbe = [] { return std::make_unique<SilentServers>(); };
        dialog_presenter =
            std::make_unique<SettingsPresenter>(loop, dialog_surface, config(), main->settings());
        // The dialog's modal run: an opening, the test's changes, a closing.
        main_surface.settings_dialog = [this] {
            dialog_presenter->FormShow();
            if (while_open)
                while_open(dialog_surface);
            dialog_presenter->FormHide();
            return dialog_presenter->Choices();
        };
    }

    // Clicks the settings button; `change` acts on the open dialog.
    void open_settings(std::function<void(RecordingSettingsSurface&)> change = {}) {
        while_open = std::move(change);
        main->Button_ConfigClick();
        while_open = {};
    }

    // Lets `span` of virtual time pass, running the timers as they fall due.
    void pass(platform::Milliseconds span) {
        for (platform::Milliseconds gone{0}; gone < span; gone += kStep) {
            clock.advance(kStep);
            loop.process_pending(platform::Milliseconds(0));
        }
    }

    static constexpr platform::Milliseconds kStep{10};

    testing::TempDir folder;
    app::DefaultStartup startup;
    platform::ManualClock clock;
    platform::PlainEventLoop loop{clock};
    MainWindowControls controls;
    RecordingMainSurface main_surface;
    RecordingSettingsSurface dialog_surface;
    std::unique_ptr<MainWindowPresenter> main;
    std::unique_ptr<SettingsPresenter> dialog_presenter;
    std::function<void(RecordingSettingsSurface&)> while_open;
};

} // namespace launcher::front
