// The total's share of a run over files, weighed by their sizes.
#include "update/total_progress.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

struct ShareCase {
    const char* name;
    std::vector<std::int64_t> sizes;
    int files;
    double share;
};

class TotalShare : public ::testing::TestWithParam<ShareCase> {};

TEST_P(TotalShare, OfTheFirstFiles) {
    const TotalProgress progress(GetParam().sizes);
    EXPECT_DOUBLE_EQ(progress.share_before(GetParam().files), GetParam().share);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, TotalShare,
    ::testing::Values(ShareCase{"BySize", {10, 30, 60}, 2, 0.4},
                      ShareCase{"UnknownWeighsTheMeanOfTheKnown", {10, -1, 30}, 2, 30.0 / 60.0},
                      ShareCase{"NoSizeKnownCountsFiles", {-1, -1, -1, -1}, 1, 0.25},
                      ShareCase{"OnlyEmptyFilesCountFiles", {0, 0}, 1, 0.5},
                      ShareCase{"NoneDone", {5, 5}, 0, 0.0},
                      ShareCase{"BeyondTheEndIsAll", {5, 5}, 7, 1.0},
                      ShareCase{"NoFilesIsAll", {}, 0, 1.0}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

} // namespace
} // namespace launcher
