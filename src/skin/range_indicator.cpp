#include "skin/range_indicator.h"

#include <algorithm>

namespace launcher {

void ApplyIndicatorValue(RangeControl& control, const IndicatorValue& value) {
    if (control.Min() == value.Min && control.Max() == value.Max &&
        control.Position() == value.Position && control.Step() == value.Step)
        return;
    control.SetStep(value.Step);
    control.SetMin(std::min(control.Min(), value.Min));
    control.SetMax(std::max(control.Max(), value.Max));
    control.SetPosition(value.Position);
    control.SetMin(value.Min);
    control.SetMax(value.Max);
}

RangeControl& IndicatorControl(MainWindowControls& controls, Indicator which) {
    switch (which) {
    case Indicator::ProgressBar_OneFile:
        return controls.ProgressBar_OneFile;
    case Indicator::Gauge_OneFile:
        return controls.Gauge_OneFile;
    case Indicator::ProgressBar_Total:
        return controls.ProgressBar_Total;
    case Indicator::Gauge_Total:
        break;
    }
    return controls.Gauge_Total;
}

} // namespace launcher
