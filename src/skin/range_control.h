#pragma once

#include "skin/skin_control.h"

#include <cstdint>

namespace launcher {

enum class TProgressBarOrientation { pbHorizontal = 0, pbVertical = 1 };

// The range and position shared by the progress bar and the gauge. Writes
// that would put Position below Min, Min above Max or Max below Min are
// ignored; every accepted write repaints at once, so progress shows while the
// update keeps the interface thread busy. StepIt adds Step without a bound,
// and a later Min write can leave Position outside the range.
class RangeControl : public SkinControl {
public:
    RangeControl() : SkinControl(200, 16) {}

    std::int32_t Position() const { return position_; }
    std::int32_t Min() const { return min_; }
    std::int32_t Max() const { return max_; }
    std::int32_t Step() const { return step_; }
    TProgressBarOrientation Orientation() const { return orientation_; }

    void SetPosition(std::int32_t position);
    void SetMin(std::int32_t min);
    void SetMax(std::int32_t max);
    void SetStep(std::int32_t step);
    // Stored; the control is drawn again at the next paint.
    void SetOrientation(TProgressBarOrientation orientation);
    // Position + Step, wrapping like the 32-bit value it is.
    void StepIt();

private:
    std::int32_t position_ = 0;
    std::int32_t min_ = 0;
    std::int32_t max_ = 100;
    std::int32_t step_ = 10;
    TProgressBarOrientation orientation_ = TProgressBarOrientation::pbHorizontal;
};

} // namespace launcher
