#pragma once

#include "skin/skin_members.h"

class QWidget;

namespace launcher::app {

class TLabel;

// "Left", "Top", "Width", "Height", "Visible", "Enabled" onto any widget.
void ApplyWidgetSkin(const StringList& parameters, QWidget& target);

// A label's placement, then "Size" (points), "Color" (0x00BBGGRR) and the
// "Bold", "Italic" and "Underline" flags; other font styles stay. The label
// then takes the size of its text again, keeping the edge it is anchored by
// (and, for the settings window's captions, the skin's box: see
// TRightAlignedLabel).
void ApplyLabelSkin(const TqorLabel& skin, TLabel& target);

} // namespace launcher::app
