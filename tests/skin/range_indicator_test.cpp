#include "skin/gradient_progress_bar.h"
#include "skin/range_indicator.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

struct IndicatorCase {
    const char* name;
    IndicatorValue before;
    IndicatorValue after;
};

class RangeIndicatorTest : public ::testing::TestWithParam<IndicatorCase> {};

TEST_P(RangeIndicatorTest, ControlTakesTheWorkflowValue) {
    const IndicatorCase& c = GetParam();
    TGradientProgressBar bar;
    ApplyIndicatorValue(bar, c.before);
    ApplyIndicatorValue(bar, c.after);
    EXPECT_EQ(bar.Min(), c.after.Min);
    EXPECT_EQ(bar.Max(), c.after.Max);
    EXPECT_EQ(bar.Position(), c.after.Position);
    EXPECT_EQ(bar.Step(), c.after.Step);
}

INSTANTIATE_TEST_SUITE_P(
    Transitions, RangeIndicatorTest,
    ::testing::Values(IndicatorCase{"Default", {}, {0, 100, 40, 10}},
                      IndicatorCase{"MaxBelowOldPosition", {0, 100, 90, 10}, {0, 50, 10, 1}},
                      IndicatorCase{"MinAboveOldMax", {0, 10, 5, 1}, {20, 40, 30, 1}},
                      IndicatorCase{"RangeMovesDown", {100, 200, 150, 1}, {0, 50, 0, 1}},
                      IndicatorCase{"WidthRange", {0, 100, 100, 10}, {0, 527, 0, 1}},
                      IndicatorCase{"NegativeRange", {}, {-50, -10, -20, 5}}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

} // namespace
} // namespace launcher
