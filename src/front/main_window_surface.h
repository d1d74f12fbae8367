#pragma once

#include "launch/settings_choices.h"
#include "skin/geometry.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace launcher::front {

// How the launcher starts again in place of this process after it replaced
// its own executable.
struct RestartRequest {
    std::filesystem::path program;      // the new executable, under the running one's name
    std::vector<std::string> arguments; // its command line, without the program
    std::filesystem::path folder;       // the launcher folder, its working folder
};

// What the main window's behaviour asks of a window toolkit: drawing and
// system calls only: the window itself, its status lines and buttons, its
// news page, the settings dialog, the notification area and the process.
// Every call shows its effect at once.
class MainWindowSurface {
public:
    virtual ~MainWindowSurface() = default;

    // What the update workflow shows (see LauncherView); the indicators are
    // the skinned controls' models, which draw themselves.
    virtual void SetStatus(std::string_view text) = 0;
    virtual void SetTotalStatus(std::string_view text) = 0;
    virtual void MsgShow(std::string_view text) = 0;
    virtual void SetStartGameEnabled(bool enabled) = 0;
    virtual void SetCheckAllFilesVisible(bool visible) = 0;
    virtual void SetCheckAllFilesEnabled(bool enabled) = 0;

    // The window's place on the screen and the size of the screen.
    virtual Rect Frame() const = 0;
    virtual Rect Screen() const = 0;
    virtual void MoveTo(int left, int top) = 0;
    // From 0 (invisible) to 255 (opaque).
    virtual void SetAlpha(int alpha) = 0;

    virtual void SetTitle(std::string_view caption) = 0;
    virtual void SetLanguageDescription(std::string_view text) = 0;
    // The hints of the start and full-check buttons.
    virtual void SetHints(std::string_view start_game, std::string_view check_all) = 0;

    // The news page: its load reports back as loaded or failed.
    virtual void Navigate(const std::string& address) = 0;
    virtual void StopNews() = 0;
    // Later reports of the page's loads are ignored.
    virtual void DetachNewsHandlers() = 0;
    virtual void ShowNewsPanel(bool shown) = 0;

    // Opens the settings dialog modally with its top-left corner at `at` and
    // returns the player's choices once it has closed; none when there is
    // no settings dialog.
    virtual std::optional<SettingsChoices> RunSettings(Point at) = 0;

    // Whether the notification area can bring a hidden window back.
    virtual bool HasTrayIcon() const = 0;
    virtual void HideToTray() = 0;
    virtual void Minimize() = 0;
    // Restored, shown and brought to the front (with an open dialog on top).
    virtual void BringToFront() = 0;
    virtual void RemoveTrayIcon() = 0;

    virtual void ShowError(const std::string& text) = 0;
    // Hides the windows and ends the message loop.
    virtual void Quit() = 0;
    // Starts the launcher again in place of this process; returns why it
    // could not (an empty text only when the process goes on, as in tests).
    virtual std::string Restart(const RestartRequest& request) = 0;
};

} // namespace launcher::front
