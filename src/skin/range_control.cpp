#include "skin/range_control.h"

namespace launcher {

void RangeControl::SetPosition(std::int32_t position) {
    if (position < min_)
        return;
    position_ = position;
    Repaint();
}

void RangeControl::SetMin(std::int32_t min) {
    if (min > max_)
        return;
    min_ = min;
    Repaint();
}

void RangeControl::SetMax(std::int32_t max) {
    if (max < min_)
        return;
    max_ = max;
    Repaint();
}

void RangeControl::SetStep(std::int32_t step) {
    step_ = step;
    Repaint();
}

void RangeControl::SetOrientation(TProgressBarOrientation orientation) {
    orientation_ = orientation;
    Invalidate();
}

void RangeControl::StepIt() {
    position_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(position_) +
                                          static_cast<std::uint32_t>(step_));
    Repaint();
}

} // namespace launcher
