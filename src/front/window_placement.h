#pragma once

#include "launch/settings_choices.h"
#include "skin/geometry.h"

namespace launcher::front {

// Where a window asked to stand at `wanted` goes: its top edge (the title
// area, by which it is dragged) and its close button stay on the screen,
// so a skin larger than the screen or a place saved on a screen no longer
// there still leaves the window movable and closable. `close_button` is in
// the window's own coordinates.
Point KeptOnScreen(Point wanted, Rect screen, Rect close_button);

} // namespace launcher::front
