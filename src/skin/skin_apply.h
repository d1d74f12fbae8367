#pragma once

#include "skin/bitmap.h"
#include "skin/region.h"
#include "skin/skin_blocks.h"
#include "skin/skin_control.h"
#include "skin/skin_members.h"

#include <cstdint>
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

// A plain or shadowed label's values from its skin parameters, for the
// window toolkit to carry onto its label.
struct LabelSkin {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool Visible = false;
    bool Enabled = false;
    // The font's height in pixels: "Size" in points on a 96-dots-per-inch
    // screen (as skins are drawn), a negative "Size" being a height in
    // pixels; none for 0 (the label keeps its font size).
    std::optional<int> FontPixels;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    // "Color" as an opaque pixel; none for codes with a high byte, which name
    // system colours: the label keeps its own colour.
    std::optional<std::uint32_t> ColorArgb;
};
LabelSkin LabelSkinValues(const StringList& parameters);

// The main window's outline: the region of its background member, or none
// when the window keeps its full rectangle. Region data that hold no pixel
// count as none, since such a region would make the window invisible.
std::optional<Region> MainWindowRegion(const TqorBackGround& background);

// The settings window's outline: the background image without every pixel of
// the colour of its top-left pixel, holes inside the image included. None for
// an empty image and for one of that colour only, so the window keeps its
// rectangle, opaque, instead of vanishing.
std::optional<Region> SettingsWindowRegion(const Bitmap& background);

} // namespace launcher
