// Message text that reads well on its panel.
#include "front/readable_colors.h"

#include <gtest/gtest.h>

namespace launcher::front {
namespace {

TEST(ReadableColors, ContrastRunsFromOneToTwentyOne) {
    EXPECT_DOUBLE_EQ(ContrastRatio({0, 0, 0}, {0, 0, 0}), 1.0);
    EXPECT_NEAR(ContrastRatio({0, 0, 0}, {255, 255, 255}), 21.0, 1e-9);
    EXPECT_DOUBLE_EQ(ContrastRatio({255, 0, 0}, {0, 0, 255}),
                     ContrastRatio({0, 0, 255}, {255, 0, 0}));
}

struct TextCase {
    const char* name;
    Rgb background, wanted, expected;
};

class ReadableText : public ::testing::TestWithParam<TextCase> {};

TEST_P(ReadableText, KeepsTheWantedColourOnlyWhenItReads) {
    const Rgb text = ReadableTextColor(GetParam().background, GetParam().wanted);
    EXPECT_EQ(text.red, GetParam().expected.red);
    EXPECT_EQ(text.green, GetParam().expected.green);
    EXPECT_EQ(text.blue, GetParam().expected.blue);
    EXPECT_GE(ContrastRatio(GetParam().background, text), kReadableContrast);
}

INSTANTIATE_TEST_SUITE_P(
    Panels, ReadableText,
    ::testing::Values(
        // Red on the designed grey-brown reads at 1.9:1: white takes its place.
        TextCase{
            "DesignedPanel", kMessagePanelBackground, kMessagePanelWantedText, {255, 255, 255}},
        TextCase{"RedOnWhiteIsKept", {255, 255, 255}, {0xC0, 0, 0}, {0xC0, 0, 0}},
        TextCase{"LightPanelTakesBlack", {0xE0, 0xE0, 0xC0}, {0xFF, 0xFF, 0x00}, {0, 0, 0}}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

} // namespace
} // namespace launcher::front
