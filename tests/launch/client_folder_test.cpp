#include "launch/client_folder.h"
#include "launch/proxy_entry.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

struct FolderCase {
    std::string list;
    std::string lang_folder;
    std::string folder;
};

class ClientFolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(ClientFolderTest, LastExactMatchWins) {
    EXPECT_EQ(ClientFolderFor(GetParam().list, GetParam().lang_folder), GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ClientFolderTest,
    ::testing::Values(FolderCase{"default;system", "default", "system"},
                      FolderCase{"default;system|fr;system_fr", "fr", "system_fr"},
                      FolderCase{"default;system|fr;system_fr", "FR", "system"},
                      FolderCase{"default;system| fr ; system_fr ", "fr", "system_fr"},
                      FolderCase{"fr;first|fr;second", "fr", "second"},
                      FolderCase{"lonely", "", "lonely"}, FolderCase{"lonely", "default", "system"},
                      FolderCase{"", "default", "system"}, FolderCase{"default;", "default", ""}));

TEST(ProxyEntryTest, FieldsBetweenBars) {
    const auto full = ParseProxyEntry(" Main | 10.0.0.1 | proxy1.ini ");
    EXPECT_EQ(full.name, "Main");
    EXPECT_EQ(full.host, "10.0.0.1");
    EXPECT_EQ(full.file, "proxy1.ini");

    const auto one_bar = ParseProxyEntry("Main|proxy.ini");
    EXPECT_EQ(one_bar.name, "Main");
    EXPECT_EQ(one_bar.host, "");
    EXPECT_EQ(one_bar.file, "proxy.ini");

    const auto no_bar = ParseProxyEntry("just a file");
    EXPECT_EQ(no_bar.name, "");
    EXPECT_EQ(no_bar.file, "just a file");

    EXPECT_EQ(ParseProxyEntry("a|b|c|d.ini").file, "d.ini");
}

} // namespace
} // namespace launcher
