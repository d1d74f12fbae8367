#include "platform/windows_command_line.h"

#ifdef _WIN32
#include "platform/utf8_path.h"

#include <windows.h>
// (needs windows.h first)
#include <shellapi.h>
#endif

#include <gtest/gtest.h>

namespace launcher::platform {
namespace {

struct QuoteCase {
    const char* argument;
    const char* quoted;
};

class QuoteTest : public ::testing::TestWithParam<QuoteCase> {};

TEST_P(QuoteTest, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(quote_windows_argument(GetParam().argument), GetParam().quoted);
}

INSTANTIATE_TEST_SUITE_P(Cases, QuoteTest,
                         ::testing::Values(QuoteCase{"plain", "plain"}, QuoteCase{"", "\"\""},
                                           QuoteCase{"two words", "\"two words\""},
                                           QuoteCase{"C:\\Games\\x", "C:\\Games\\x"},
                                           QuoteCase{"C:\\My Games\\", "\"C:\\My Games\\\\\""},
                                           QuoteCase{"say \"hi\"", "\"say \\\"hi\\\"\""},
                                           QuoteCase{"a\\\"b", "\"a\\\\\\\"b\""},
                                           QuoteCase{"tab\there", "\"tab\there\""}));

TEST(WindowsCommandLineTest, TheSystemSplitsItBackIntoTheSameArguments) {
#ifndef _WIN32
    GTEST_SKIP() << "CommandLineToArgvW is the Windows shell's";
#else
    const std::vector<std::string> arguments{
        "C:\\Program Files\\game\\jux.exe",
        "",
        "proxy 1.ini",
        "a\\\"b",
        "trailing\\",
        "\xD0\xBF\xD1\x80\xD0\xBE\xD0\xBA\xD1\x81\xD0\xB8.ini"};
    const std::wstring line = path_from_utf8(windows_command_line(arguments)).native();
    int count = 0;
    wchar_t** parts = ::CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(parts, nullptr);
    std::vector<std::string> back;
    for (int i = 0; i < count; ++i)
        back.push_back(utf8_of(std::filesystem::path(parts[i])));
    ::LocalFree(parts);
    EXPECT_EQ(back, arguments);
#endif
}

} // namespace
} // namespace launcher::platform
