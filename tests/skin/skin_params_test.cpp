#include "skin/skin_params.h"

#include <limits>

#include <gtest/gtest.h>

namespace launcher {
namespace {

TEST(GetParamValue, TrimsKeyAndValueAndMatchesExactly) {
    const StringList list = {" Left = 12 ", "left=99", "Left",
                             "Top=1",       "Top=2",   "\tName\t=\t a b \t"};
    EXPECT_EQ(GetParamValue(list, "Left"), "12");
    EXPECT_EQ(GetParamValue(list, "left"), "99");
    EXPECT_EQ(GetParamValue(list, "Top"), "1"); // the first line wins
    EXPECT_EQ(GetParamValue(list, "Name"), "a b");
    EXPECT_EQ(GetParamValue(list, "Width"), "");
}

TEST(GetParamValue, LineWithoutEqualsHasNoKey) {
    EXPECT_EQ(GetParamValue({"Left"}, "Left"), "");
    EXPECT_EQ(GetParamInt({"Left"}, "Left"), 0);
}

TEST(GetParamValue, ValueIsTextAfterTheFirstEquals) {
    EXPECT_EQ(GetParamValue({"Url = a=b"}, "Url"), "a=b");
}

struct IntCase {
    const char* value;
    std::int64_t expected;
};

void PrintTo(const IntCase& c, std::ostream* out) {
    *out << '"' << c.value << '"';
}

class GetParamIntValues : public ::testing::TestWithParam<IntCase> {};

TEST_P(GetParamIntValues, FollowsTheNumberRule) {
    const StringList list = {std::string("Left=") + GetParam().value};
    EXPECT_EQ(GetParamInt(list, "Left"), GetParam().expected) << '"' << GetParam().value << '"';
}

constexpr auto int64_min = std::numeric_limits<std::int64_t>::min();
constexpr auto int64_max = std::numeric_limits<std::int64_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Values, GetParamIntValues,
    ::testing::Values(IntCase{"12", 12}, IntCase{" 12 ", 12}, IntCase{"+7", 7}, IntCase{"-5", -5},
                      IntCase{"007", 7}, IntCase{"$20", 32}, IntCase{"0x1F", 31},
                      IntCase{"0X1f", 31}, IntCase{"x1F", 31}, IntCase{"X10", 16},
                      IntCase{"-$10", -16}, IntCase{"-0x10", -16}, IntCase{"$FF00000F", 0xFF00000F},
                      IntCase{"$FFFFFFFFFFFFFFFF", -1}, IntCase{"9223372036854775807", int64_max},
                      IntCase{"-9223372036854775808", int64_min},
                      // not numbers in the accepted form, or too large: 0
                      IntCase{"12px", 0}, IntCase{"", 0}, IntCase{"-", 0}, IntCase{"+", 0},
                      IntCase{"$", 0}, IntCase{"0x", 0}, IntCase{"1 2", 0}, IntCase{"1.5", 0},
                      IntCase{"$-5", 0}, IntCase{"--5", 0}, IntCase{"0x1G", 0},
                      IntCase{"9223372036854775808", 0}, IntCase{"-9223372036854775809", 0},
                      IntCase{"99999999999999999999", 0}, IntCase{"$10000000000000000", 0},
                      IntCase{"true", 0}));

TEST(GetParamInt, AbsentKeyGivesZero) {
    EXPECT_EQ(GetParamInt({"Top=4"}, "Left"), 0);
}

TEST(GetParamInt, NegativeAndColourValuesKeepTheirLow32Bits) {
    EXPECT_EQ(static_cast<std::int32_t>(GetParamInt({"Left=-5"}, "Left")), -5);
    EXPECT_EQ(static_cast<std::uint32_t>(GetParamInt({"Color=$FF00000F"}, "Color")), 0xFF00000Fu);
}

TEST(GetParamBool, OnlyLowerCaseTrueIsTrue) {
    const StringList list = {"A=true", "B=True", "C=TRUE", "D=1", "E=", "F = true "};
    EXPECT_TRUE(GetParamBool(list, "A"));
    EXPECT_FALSE(GetParamBool(list, "B"));
    EXPECT_FALSE(GetParamBool(list, "C"));
    EXPECT_FALSE(GetParamBool(list, "D"));
    EXPECT_FALSE(GetParamBool(list, "E"));
    EXPECT_TRUE(GetParamBool(list, "F"));
    EXPECT_FALSE(GetParamBool(list, "Absent"));
}

} // namespace
} // namespace launcher
