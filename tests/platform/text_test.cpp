#include "platform/system_language.h"
#include "platform/text.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

namespace launcher::platform {
namespace {

TEST(TextTest, DecodesByteOrderMarks) {
    EXPECT_EQ(decode_text(std::string_view("\xEF\xBB\xBFx")), "x");
    EXPECT_EQ(decode_text(std::string_view("\xFF\xFE\x16\x04", 4)), "Ж");
    EXPECT_EQ(decode_text(std::string_view("\xFE\xFF\x04\x16", 4)), "Ж");
    EXPECT_EQ(decode_text(std::string_view("\xFF\xFE\x3D\xD8\x00\xDE", 6)), "\xF0\x9F\x98\x80");
    EXPECT_EQ(decode_text(std::string_view("\xFF\xFE\x00\xD8", 4)), "\xEF\xBF\xBD");
    EXPECT_EQ(decode_text(std::string_view("plain")), "plain");
}

TEST(TextTest, OwnTextFilesComeBackAsTheyWereWritten) {
    for (const std::string text : {"plain ascii\r\n",
                                   "Gr\xC3\xBC\xC3\x9F"
                                   "e",
                                   "\xE6\x97\xA5\xE6\x9C\xAC \xD0\x96", ""})
        EXPECT_EQ(decode_text(encode_text(text)), text);
}

TEST(TextTest, TextWithoutAMarkIsReadInTheSystemCodePage) {
    // Valid UTF-8 is UTF-8 everywhere.
    EXPECT_EQ(decode_text(std::string_view("\xD0\x96")), "\xD0\x96");
#ifdef _WIN32
    if (::GetACP() != 1252)
        GTEST_SKIP() << "the checks below are for the Western code page 1252";
    // Other bytes are ANSI: "Grüße" as Windows-1252 wrote it.
    EXPECT_EQ(decode_text(std::string_view("Gr\xFC\xDF"
                                           "e")),
              "Gr\xC3\xBC\xC3\x9F"
              "e");
    // What the code page can say is written in it, the rest as marked UTF-8.
    EXPECT_EQ(encode_text("Gr\xC3\xBC\xC3\x9F"
                          "e"),
              "Gr\xFC\xDF"
              "e");
    EXPECT_EQ(encode_text("\xD0\x96"), "\xEF\xBB\xBF\xD0\x96");
#else
    EXPECT_EQ(decode_text(std::string_view("Gr\xFC\xDF"
                                           "e")),
              "Gr\xFC\xDF"
              "e"); // bytes kept
    EXPECT_EQ(encode_text("\xD0\x96"), "\xD0\x96");
#endif
}

TEST(TextTest, TellsValidUtf8) {
    EXPECT_TRUE(is_valid_utf8("ascii \xD0\x96 \xF0\x9F\x98\x80"));
    EXPECT_FALSE(is_valid_utf8("\xFC"));         // a Latin-1 letter
    EXPECT_FALSE(is_valid_utf8("\xD0"));         // cut short
    EXPECT_FALSE(is_valid_utf8("\xED\xA0\x80")); // a surrogate
    EXPECT_FALSE(is_valid_utf8("\xC0\xAF"));     // an overlong form
}

TEST(TextTest, SplitsAtEveryLineEnding) {
    EXPECT_EQ(split_lines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(split_lines("a\n\nb\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(split_lines("\r\n"), (std::vector<std::string>{""}));
    EXPECT_TRUE(split_lines("").empty());
}

TEST(TextTest, TrimsBlanksAndControlCharacters) {
    EXPECT_EQ(trim(" \t\x01x y\x1F "), "x y");
    EXPECT_EQ(trim("   "), "");
}

TEST(TextTest, LowerCasesUnicodeAndKeepsInvalidBytes) {
    EXPECT_EQ(to_lower("ABC Ж ÄÖ"), "abc ж äö");
    EXPECT_EQ(to_lower("A\xFF"), "a\xFF");
    EXPECT_EQ(to_lower_ascii("ÄB"), "Äb");
}

TEST(TextTest, PrintableReplacesEveryControlCharacter) {
    EXPECT_EQ(printable("a\x1B[31mred\x07\r\n\x7F"), "a?[31mred????");
    EXPECT_EQ(printable("C1 \xC2\x9B here, \xC3\xA9 kept"), "C1 ? here, \xC3\xA9 kept");
    EXPECT_EQ(printable("plain text"), "plain text");
}

TEST(TextTest, ParsesDecimalIntegers) {
    EXPECT_EQ(parse_int32("42"), 42);
    EXPECT_EQ(parse_int32("+42"), 42);
    EXPECT_EQ(parse_int32("-1"), -1);
    EXPECT_EQ(parse_int32("  7"), 7);
    EXPECT_EQ(parse_int32("12px"), std::nullopt);
    EXPECT_EQ(parse_int32("+-1"), std::nullopt);
    EXPECT_EQ(parse_int32(""), std::nullopt);
    EXPECT_EQ(parse_int32("2147483648"), std::nullopt);
}

TEST(SystemLanguageTest, LocaleNamesMapToLanguageIdentifiers) {
    EXPECT_EQ(language_id_for_locale("en_US.UTF-8"), 1033);
    EXPECT_EQ(language_id_for_locale("en_GB.UTF-8"), 2057);
    EXPECT_EQ(language_id_for_locale("ru_RU.UTF-8@euro"), 1049);
    EXPECT_EQ(language_id_for_locale("de_DE"), 1031);
    EXPECT_EQ(language_id_for_locale("fr_FR.UTF-8"), 1036);
    EXPECT_EQ(language_id_for_locale("ru_BY"), 1049); // language known, territory not
    EXPECT_EQ(language_id_for_locale("xx_YY"), 0);
}

} // namespace
} // namespace launcher::platform
