#include "download/segment_plan.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace launcher {
namespace {

struct PlanCase {
    std::int64_t length;
    int threads;
    std::vector<SegmentRange> ranges;
};

class SegmentPlanTable : public ::testing::TestWithParam<PlanCase> {};

TEST_P(SegmentPlanTable, CutsTheFileAsPlanned) {
    const PlanCase& plan = GetParam();
    EXPECT_EQ(plan_segments(plan.length, plan.threads), plan.ranges);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, SegmentPlanTable,
    ::testing::Values(
        PlanCase{1, 6, {{0, 0}}}, PlanCase{99'999, 6, {{0, 99'998}}},
        PlanCase{100'000, 6, {{0, 49'999}, {50'000, 99'999}}}, PlanCase{100'000, 1, {{0, 99'999}}},
        // 999,999 / 2 = 499,999.5 rounds to the even 500,000.
        PlanCase{999'999, 6, {{0, 499'999}, {500'000, 999'998}}},
        PlanCase{1'000'000,
                 6,
                 {{0, 166'666},
                  {166'667, 333'333},
                  {333'334, 500'000},
                  {500'001, 666'667},
                  {666'668, 833'334},
                  {833'335, 999'999}}},
        PlanCase{1'000'000, 1, {{0, 999'999}}},
        // 1,000,002 / 4 = 250,000.5 rounds to the even 250,000; the last
        // range takes the remainder.
        PlanCase{1'000'002,
                 4,
                 {{0, 249'999}, {250'000, 499'999}, {500'000, 749'999}, {750'000, 1'000'001}}},
        // 1,000,006 / 4 = 250,001.5 rounds to the even 250,002; the last
        // range comes out shorter.
        PlanCase{1'000'006,
                 4,
                 {{0, 250'001}, {250'002, 500'003}, {500'004, 750'005}, {750'006, 1'000'005}}}),
    [](const ::testing::TestParamInfo<PlanCase>& param_info) {
        return "length" + std::to_string(param_info.param.length) + "_threads" +
               std::to_string(param_info.param.threads);
    });

TEST(SegmentPlan, ThreadCountIsClampedToOneThroughTen) {
    EXPECT_EQ(clamp_download_threads(0), 1);
    EXPECT_EQ(clamp_download_threads(-5), 1);
    EXPECT_EQ(clamp_download_threads(25), 10);
    EXPECT_EQ(clamp_download_threads(7), 7);
    EXPECT_EQ(plan_segments(50'000'000, 25).size(), 10u);
    EXPECT_EQ(plan_segments(50'000'000, 0).size(), 1u);
}

TEST(SegmentPlan, RangesCoverTheFileWithoutGapsOrOverlaps) {
    for (std::int64_t length :
         {1'000'000LL, 1'000'001LL, 1'234'567LL, 536'870'912LL, 999'999'999LL}) {
        for (int threads = 1; threads <= 10; ++threads) {
            const auto ranges = plan_segments(length, threads);
            ASSERT_FALSE(ranges.empty());
            EXPECT_EQ(ranges.front().first, 0);
            EXPECT_EQ(ranges.back().last, length - 1);
            for (std::size_t i = 1; i < ranges.size(); ++i)
                EXPECT_EQ(ranges[i].first, ranges[i - 1].last + 1) << length << " " << threads;
            for (const SegmentRange& range : ranges)
                EXPECT_GT(range.length(), 0);
        }
    }
}

TEST(SegmentPlan, DivisionRoundsHalfToEven) {
    EXPECT_EQ(divide_rounding_to_even(5, 2), 2);
    EXPECT_EQ(divide_rounding_to_even(7, 2), 4);
    EXPECT_EQ(divide_rounding_to_even(10, 4), 2);
    EXPECT_EQ(divide_rounding_to_even(14, 4), 4);
    EXPECT_EQ(divide_rounding_to_even(10, 3), 3);
    EXPECT_EQ(divide_rounding_to_even(11, 3), 4);
}

} // namespace
} // namespace launcher
