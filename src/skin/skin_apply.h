#pragma once

#include "skin/bitmap.h"
#include "skin/region.h"
#include "skin/skin_blocks.h"
#include "skin/skin_control.h"
#include "skin/skin_members.h"

#include <optional>

namespace launcher {

// Carrying the skin onto the controls that need no window toolkit. The
// member operations TqorButton::SaveToForm, TqorGauge::SaveToForm,
// TqorProgress::SaveToForm and TqorBackGround::GetRegion live in
// skin_apply.cpp as well.
//
// Numbers come from GetParamInt and keep their low 32 bits, so negative
// values pass unchanged; flags are true only when written "true".

// "Left", "Top", "Width", "Height", "Visible", "Enabled", in this order.
void ApplyPlacement(const StringList& parameters, SkinControl& target);

// The main window's outline: the region of its background member, or none
// when the window keeps its full rectangle. Region data that hold no pixel
// count as none, since such a region would make the window invisible.
std::optional<Region> MainWindowRegion(const TqorBackGround& background);

// The settings window's outline: the background image without every pixel of
// the colour of its top-left pixel, holes inside the image included. None for
// an empty image, so the window keeps its rectangle instead of vanishing.
std::optional<Region> SettingsWindowRegion(const Bitmap& background);

} // namespace launcher
