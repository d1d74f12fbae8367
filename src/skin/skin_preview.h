#pragma once

#include "skin/bitmap.h"
#include "skin/skin_windows.h"

namespace launcher {

// How the buttons of a preview look.
enum class PreviewButtonState {
    Normal,   // as the skin leaves them (a button the skin disables shows so)
    Over,     // every button enabled, the pointer over it
    Down,     // every button enabled, pressed
    Disabled, // every button disabled
};

struct PreviewOptions {
    PreviewButtonState buttons = PreviewButtonState::Normal;
    // Position of the two progress bars and the two gauges, 0 to 100.
    int progress_percent = 50;
    // Also draw controls that the skin hides (the full-check button).
    bool show_hidden = false;
};

// The main window as the skin makes it, drawn without a window toolkit: the
// background (opaque, as the window shows it), everything outside the
// window's region fully transparent, the six buttons, the two progress bars
// and the two gauges laid over it by their alpha as in the launcher's window,
// and dashed outlines where the labels (in their font colour) and the news
// panel sit. Throws std::runtime_error when the skin has no main window
// background.
Bitmap RenderMainWindowPreview(const TqorMainWindow& skin, const PreviewOptions& options);

// The settings window: its designed 520 x 360 area with the skin's background,
// the key colour (top-left pixel) cut out, and dashed outlines of its labels
// and boxes.
Bitmap RenderSettingsWindowPreview(const TqorConfigWindow& skin, const PreviewOptions& options);

} // namespace launcher
