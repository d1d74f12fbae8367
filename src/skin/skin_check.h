#pragma once

#include "skin/skin_layout.h"

#include <string>
#include <vector>

namespace launcher {

class TqorMainWindow;
class TqorConfigWindow;

// Something in a skin that the launcher reads other than its publisher most
// likely meant: the skin still loads, but shows differently.
struct SkinWarning {
    SkinWindow window = SkinWindow::Main;
    std::string member; // the member it concerns; empty for the window itself
    std::string field;  // its sub-block ("parameters", "region", "image", ...)
    std::string text;   // what is wrong and what the launcher makes of it
};

// Checks both window skins:
// - parameter lines: a key the member does not read (a typo such as "Lef"),
//   a line without "=", a key given twice, a flag written other than "true"
//   or "false" ("True" reads as false), a number that does not parse (read
//   as 0);
// - the main window: no background, a background larger than 1280 x 1024, an
//   outline that is not region data, holds no pixel, or spans another size
//   than the background;
// - the settings window: a background larger than its 520 x 360;
// - controls that reach outside their window (buttons by their normal image,
//   the others by their parameters), visible ones and the full-check button,
//   which the update shows later;
// - images that did not decode when the skin was read.
std::vector<SkinWarning> CheckSkin(const TqorMainWindow& main_window,
                                   const TqorConfigWindow& settings_window);

// The largest main window that fits the screens players are expected to have.
inline constexpr int kMaxMainWindowWidth = 1280;
inline constexpr int kMaxMainWindowHeight = 1024;

} // namespace launcher
