#include "catalogue/catalogue_line.h"
#include "numbered_case.h"

#include <bit>
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::NumberedCase;

const LocaleDateTimeFormat kDayMonthYear = LocaleDateTimeFormat::from_patterns("%d.%m.%Y", "%T");

TEST(CatalogueLine, WritesTheDocumentedForm) {
    const TFileRecord record{"\\system\\jux.ini", "900150983CD24FB0D6963F7D28E17F72",
                             "0CC175B9C0F1B6A831C399E269772661", 1254400, 43566.770833333336};
    EXPECT_EQ(FormatCatalogueLine(record), "900150983CD24FB0D6963F7D28E17F72|\\system\\jux.ini|"
                                           "1254400|40E545D8AAAAAAAB|"
                                           "0CC175B9C0F1B6A831C399E269772661");
}

TEST(CatalogueLine, WritesZeroDateAsSixteenZeros) {
    EXPECT_EQ(FormatDateField(0.0), "0000000000000000");
    EXPECT_EQ(FormatCatalogueLine({}), "||0|0000000000000000|");
}

TEST(CatalogueLine, RoundTripsEveryFieldBitExactly) {
    const TFileRecord records[] = {
        {"\\a.dat", "A", "B", 0, 0.0},
        {"\\big.pak", "H", "P", (std::int64_t{1} << 31) + 7, 45000.123456789},
        {"\\huge.pak", "H", "P", std::numeric_limits<std::int64_t>::max(), -1.25},
        {"\\neg", "", "", -42, std::bit_cast<double>(std::uint64_t{0x7FF8000000000001})},
        {" \\Spaced Name ", "h", "p", std::numeric_limits<std::int64_t>::min(),
         std::numeric_limits<double>::denorm_min()},
    };
    for (const TFileRecord& record : records) {
        const TFileRecord back = ParseCatalogueLine(FormatCatalogueLine(record), kDayMonthYear);
        EXPECT_EQ(back.Name, record.Name);
        EXPECT_EQ(back.Hash, record.Hash);
        EXPECT_EQ(back.HashPacked, record.HashPacked);
        EXPECT_EQ(back.Size, record.Size);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(back.Date),
                  std::bit_cast<std::uint64_t>(record.Date));
    }
}

struct LineCase {
    const char* line;
    TFileRecord expected;
};

class CatalogueLineFields : public ::testing::TestWithParam<LineCase> {};

TEST_P(CatalogueLineFields, SplitsAtBars) {
    const TFileRecord record = ParseCatalogueLine(GetParam().line, kDayMonthYear);
    EXPECT_EQ(record, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CatalogueLineFields,
    ::testing::Values(LineCase{"abc", {"abc", "", "", 0, 0.0}}, LineCase{"", {"", "", "", 0, 0.0}},
                      LineCase{"H|\\n", {"\\n", "H", "", 0, 0.0}},
                      LineCase{"H|\\n|12", {"\\n", "H", "", 12, 0.0}},
                      LineCase{"H|\\n|12|3FF0000000000000|P|extra|more",
                               {"\\n", "H", "P", 12, 1.0}},
                      LineCase{"H|\\n|x12|3FF0000000000000|P", {"\\n", "H", "P", 0, 1.0}},
                      LineCase{"H|\\n|12||P", {"\\n", "H", "P", 12, 0.0}},
                      LineCase{"H|\\n|-5|3ff0000000000000|", {"\\n", "H", "", -5, 1.0}},
                      LineCase{"|||", {"", "", "", 0, 0.0}},
                      LineCase{"H| \\n |+7|zz|P", {" \\n ", "H", "P", 7, 0.0}},
                      LineCase{"H|\\n|99999999999999999999|0|P", {"\\n", "H", "P", 0, 0.0}}),
    NumberedCase);

struct DateCase {
    const char* field;
    double expected;
};

class DateFieldCases : public ::testing::TestWithParam<DateCase> {};

TEST_P(DateFieldCases, Reads) {
    EXPECT_EQ(ParseDateField(GetParam().field, kDayMonthYear), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, DateFieldCases,
    ::testing::Values(DateCase{"", 0.0}, DateCase{"0000000000000000", 0.0},
                      DateCase{"40E545D8AAAAAAAB", 43566.770833333336},
                      DateCase{"40e545d8aaaaaaab", 43566.770833333336},
                      DateCase{"3FF", std::bit_cast<double>(std::uint64_t{0x3FF})},
                      // Not hexadecimal, or more than 16 digits: 0.0.
                      DateCase{"11.04.2019", 0.0}, DateCase{"G000000000000000", 0.0},
                      DateCase{"-1", 0.0}, DateCase{"00000000000000001", 0.0},
                      // With a space: the locale's date and time.
                      DateCase{"11.04.2019 18:30:00", 43566.770833333336},
                      DateCase{"11.04.2019 00:00:00", 43566.0}, DateCase{"30.12.1899 12:00", 0.5}),
    NumberedCase);

TEST(CatalogueLine, DateWithSpaceThatIsNoDateRaises) {
    EXPECT_THROW(ParseDateField("not a date", kDayMonthYear), EConvertError);
    EXPECT_THROW(ParseDateField("31.02.2019 10:00", kDayMonthYear), EConvertError);
    EXPECT_THROW(ParseCatalogueLine("H|\\n|1|32.01.2019 10:00|P", kDayMonthYear), EConvertError);
}

TEST(CatalogueLine, LocaleDateIsWrittenBackInHexadecimal) {
    const TFileRecord record = ParseCatalogueLine("H|\\n|1|11.04.2019 18:30:00|P", kDayMonthYear);
    EXPECT_EQ(FormatCatalogueLine(record), "H|\\n|1|40E545D8AAAAAAAB|P");
}

} // namespace
} // namespace launcher
