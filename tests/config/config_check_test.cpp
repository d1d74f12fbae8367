// Configuration mistakes that the parser ignores are told, one warning a line.
#include "config/config_check.h"
#include "update/release_signature.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

TEST(ConfigCheckTest, EachMistakeIsNamedAndGoodLinesAreNot) {
    const std::string key = "publickey=" + PublicKeyText(GenerateKeyPair().public_key);
    const struct {
        std::vector<std::string> lines;
        const char* warning; // empty: none
    } cases[] = {
        {{"; a comment", "[updateservers]", key, "channel=live", "url=http://a/",
          "[lang=1033:English]", "anything at all"},
         ""},
        {{"[updateservers]", "publickeys=ed25519:x"},
         "configuration line 2: unknown key publickeys in [updateservers]; ignored (did you "
         "mean publickey in [updateservers]?)"},
        {{"[updateservers]", "publickey:ed25519:abc="},
         "configuration line 2: \"publickey:\" in [updateservers] has ':' where '=' belongs; "
         "ignored"},
        {{"[config]", key},
         "configuration line 2: publickey belongs in [updateservers], not [config]; ignored "
         "here"},
        {{"[UpdateServer]", key}, "configuration line 1: unknown section [UpdateServer]"},
        {{key}, "stands before any section"},
        {{"[updateservers]", "publickey"}, "has no \"=\"; ignored"},
        {{"[updateservers]", "publickey=ed25519:AAAA"}, "is not a public key written by keygen"},
        {{"[updateservers]", "channel=two words"}, "is not a channel name"},
        {{"[mainwindow]", "caption=x", "fadeefect=true"},
         "did you mean fadeeffect in [mainwindow]?"},
        {{"[gameproxys]", "colour=red"}, "unknown key colour in [gameproxys]; ignored"},
    };
    for (const auto& c : cases) {
        const auto warnings = ConfigTextWarnings(c.lines);
        if (std::string_view(c.warning).empty())
            EXPECT_THAT(warnings, IsEmpty()) << c.lines.back();
        else
            EXPECT_THAT(warnings, ElementsAre(HasSubstr(c.warning))) << c.lines.back();
    }
}

} // namespace
} // namespace launcher
