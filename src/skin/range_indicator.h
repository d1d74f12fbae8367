#pragma once

#include "skin/main_window_controls.h"
#include "skin/range_control.h"
#include "update/launcher_view.h"

namespace launcher {

// Brings a progress bar or gauge to the workflow's value. The control
// refuses writes that would leave its range inverted or its position below
// its minimum, so the range is widened first, the position set, and the
// range narrowed to the new one last.
void ApplyIndicatorValue(RangeControl& control, const IndicatorValue& value);

// The main window's progress bar or gauge that shows `which`.
RangeControl& IndicatorControl(MainWindowControls& controls, Indicator which);
inline const RangeControl& IndicatorControl(const MainWindowControls& controls, Indicator which) {
    return IndicatorControl(const_cast<MainWindowControls&>(controls), which);
}

} // namespace launcher
