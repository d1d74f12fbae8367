#pragma once

#include "skin/range_control.h"
#include "update/launcher_view.h"

namespace launcher {

// Brings a progress bar or gauge to the workflow's value. The control
// refuses writes that would leave its range inverted or its position below
// its minimum, so the range is widened first, the position set, and the
// range narrowed to the new one last.
void ApplyIndicatorValue(RangeControl& control, const IndicatorValue& value);

} // namespace launcher
