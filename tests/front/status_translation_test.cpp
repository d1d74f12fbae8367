// Status lines carried over to another language.
#include "front/status_translation.h"

#include <gtest/gtest.h>

namespace launcher::front {
namespace {

struct TranslationCase {
    const char* name;
    const char* line;
    const char* expected;
};

class StatusTranslation : public ::testing::TestWithParam<TranslationCase> {
protected:
    StatusTranslation() {
        before[4] = "Update: ";
        before[5] = "Update finished";
        before[24] = "Total: ";
        before[25] = "Total: all";
        after[4] = "Обновление: ";
        after[5] = "Обновление завершено";
        after[24] = "Всего: ";
        after[25] = "Всего: все";
    }
    LanguageTable before{};
    LanguageTable after{};
};

TEST_P(StatusTranslation, KeepsWhatFollowsTheEntry) {
    EXPECT_EQ(TranslatedStatus(GetParam().line, before, after), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, StatusTranslation,
    ::testing::Values(TranslationCase{"WholeEntry", "Update finished", "Обновление завершено"},
                      TranslationCase{"PrefixAndName", "Update: data\\a.pak",
                                      "Обновление: data\\a.pak"},
                      TranslationCase{"LongestEntryWins", "Total: all", "Всего: все"},
                      TranslationCase{"Percentage", "Total: 42%", "Всего: 42%"},
                      TranslationCase{"NoEntryKeepsTheLine", "Something else", "Something else"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

} // namespace
} // namespace launcher::front
