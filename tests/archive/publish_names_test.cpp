// Names a publish refuses before it writes anything, because they cannot
// reach a player intact, and names close to them that it takes.
#include "config/config_package.h"
#include "platform/files.h"
#include "publish/release_publisher.h"
#include "publish/release_signing.h"
#include "served_tree.h"
#include "support/temp_dir.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher {
namespace {

using publish::PublishError;
using publish::PublishOptions;
using publish::PublishRelease;
using ::testing::HasSubstr;
using testing::TempDir;

struct RefusedCase {
    std::string what;
    std::vector<std::string> files; // written below the game folder
    std::vector<std::string> shown; // each must be named in the message
    // Whether Windows can make these files at all: its file names cannot hold
    // \ | : ? or control characters, lose trailing blanks and dots, ignore
    // letter case, and open a device for a device name.
    bool windows_can_make = true;
};

void PrintTo(const RefusedCase& refused, std::ostream* out) {
    *out << refused.what;
}

class RefusedNamesTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedNamesTest, AreAllNamedAndNothingIsWritten) {
#ifdef _WIN32
    if (!GetParam().windows_can_make)
        GTEST_SKIP() << "Windows cannot make these files";
#endif
    TempDir dir;
    for (const auto& file : GetParam().files)
        dir.write("game/" + file, "content");
    const PublishOptions options{dir / "game", dir / "server"};
    try {
        PublishRelease(options);
        FAIL() << "published";
    } catch (const PublishError& error) {
        for (const auto& shown : GetParam().shown)
            EXPECT_THAT(error.what(), HasSubstr("\n  " + shown + ": ")) << error.what();
        EXPECT_THAT(error.what(), HasSubstr(std::to_string(GetParam().shown.size()) +
                                            (GetParam().shown.size() == 1 ? " name " : " names ")));
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "server"));
}

INSTANTIATE_TEST_SUITE_P(
    Names, RefusedNamesTest,
    ::testing::Values(
        RefusedCase{"the manifest's name at the top", {"updater.lst"}, {"updater.lst"}},
        RefusedCase{"the manifest's name in capitals", {"Updater.LST"}, {"Updater.LST"}},
        RefusedCase{"a backslash in a file name", {"data/a\\b.txt"}, {"data/a\\b.txt"}, false},
        RefusedCase{"a backslash in a folder name", {"da\\ta/b.txt"}, {"da\\ta/b.txt"}, false},
        RefusedCase{"a leading blank", {" lead.txt"}, {" lead.txt"}},
        RefusedCase{"a trailing blank", {"trail.txt "}, {"trail.txt "}, false},
        RefusedCase{"a folder with a trailing blank", {"dir /a.txt"}, {"dir /a.txt"}, false},
        RefusedCase{"a folder with a leading blank", {" dir/a.txt"}, {" dir/a.txt"}},
        RefusedCase{"the launcher's folder", {"updater/x.dll"}, {"updater/x.dll"}},
        RefusedCase{"the launcher's folder in capitals", {"UPDATER/x.dll"}, {"UPDATER/x.dll"}},
        RefusedCase{"a file named like the launcher's folder", {"updater"}, {"updater"}},
        RefusedCase{"names that differ in letter case",
                    {"Readme.txt", "README.txt"},
                    {"Readme.txt"},
                    false},
        RefusedCase{"Cyrillic names that differ in letter case",
                    {"data/Документ.txt", "data/документ.txt"},
                    {"data/документ.txt"},
                    false},
        RefusedCase{"folders that differ in letter case",
                    {"Data/a.txt", "data/A.TXT"},
                    {"data/A.TXT"},
                    false},
        RefusedCase{"the manifest's field separator", {"pipe|name.txt"}, {"pipe|name.txt"}, false},
        RefusedCase{"a control character", {"tab\tname.txt"}, {"tab\tname.txt"}, false},
        RefusedCase{"invalid UTF-8", {"bad\xFF.txt"}, {"bad\xFF.txt"}, false},
        RefusedCase{"a colon", {"a:b.txt"}, {"a:b.txt"}, false},
        RefusedCase{"a question mark", {"why?.txt"}, {"why?.txt"}, false},
        RefusedCase{"a trailing dot", {"data./x.txt"}, {"data./x.txt"}, false},
        RefusedCase{"a device name", {"sys/nul.txt", "COM1"}, {"sys/nul.txt", "COM1"}, false},
        RefusedCase{
            "an archive where a folder of archives is", {"data", "data.vdp/x.txt"}, {"data"}},
        RefusedCase{"every offending file at once",
                    {"updater.lst", "a|b", "ok.txt", "updater/x", "X.txt", "x.txt"},
                    {"updater.lst", "a|b", "updater/x", "x.txt"},
                    false}),
    [](const auto& named) {
        std::string name;
        for (char c : named.param.what)
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

class AcceptedNamesTest : public ::testing::TestWithParam<std::string> {};

TEST_P(AcceptedNamesTest, ArePublishedAndServed) {
    TempDir dir;
    dir.write("game/" + GetParam(), "content");
    PublishRelease({dir / "game", dir / "server"});
    EXPECT_EQ(testing::ServedTreeProblem(dir / "server"), "");
    std::string name = "\\" + GetParam();
    std::replace(name.begin(), name.end(), '/', '\\');
    const auto catalogue = testing::ServedCatalogue(dir / "server");
    ASSERT_EQ(catalogue.Count(), 1);
    EXPECT_EQ(catalogue.GetItemByID(0)->Content.Name, name);
}

INSTANTIATE_TEST_SUITE_P(Names, AcceptedNamesTest,
                         ::testing::Values("inner blank.txt", "sub/updater.lst", "updater.txt",
                                           "data/updater/x", "x.publish-tmp", "data.vdp",
                                           "Документ.txt", "console.txt", "com10", "a.b.c"));

struct SectionCase {
    std::string what;
    std::vector<std::string> check;
    std::vector<std::string> remove;
    std::vector<std::string> shown; // each named in the refusal; none when published
};

TEST(SectionNamesTest, NamesNoPlayerCanUseAreRefusedBeforeAnythingIsWritten) {
    const SectionCase cases[] = {
        {"a check name in the launcher's folder",
         {"updater\\Settings.ini"},
         {},
         {"--check \\updater\\Settings.ini: the launcher's own folder"}},
        {"a check name the release lacks",
         {"ghost.dll"},
         {},
         {"--check \\ghost.dll: the release holds no such file"}},
        {"a removal of a published file",
         {},
         {"A.txt"},
         {"--remove \\A.txt: the release also publishes it"}},
        {"a removal in the launcher's folder",
         {},
         {"updater/old.dll"},
         {"--remove \\updater\\old.dll: the launcher's own folder"}},
        {"every problem at once",
         {"ghost.dll", "updater\\x"},
         {"a.txt"},
         {"3 names", "--check \\ghost.dll", "--check \\updater\\x", "--remove \\a.txt"}},
        {"a name that leaves the game folder", {}, {"..\\x"}, {"leaves the game folder"}},
        {"letter case and a removal of a file that is gone", {"A.TXT"}, {"/system//jux.ini"}, {}},
    };
    for (const SectionCase& c : cases) {
        TempDir dir;
        dir.write("game/a.txt", "a");
        const PublishOptions options{dir / "game", dir / "server", c.check, c.remove};
        if (c.shown.empty()) {
            PublishRelease(options);
            EXPECT_EQ(testing::ServedTreeProblem(dir / "server"), "") << c.what;
            continue;
        }
        try {
            PublishRelease(options);
            ADD_FAILURE() << c.what << ": published";
        } catch (const PublishError& error) {
            for (const std::string& shown : c.shown)
                EXPECT_THAT(error.what(), HasSubstr(shown)) << c.what;
        }
        EXPECT_FALSE(std::filesystem::exists(dir / "server")) << c.what;
    }
}

TEST(SectionNamesTest, VerifyNamesCheckNamesTheSignedCatalogueLacks) {
    TempDir dir;
    dir.write("game/a.txt", "a");
    const KeyPair keys = GenerateKeyPair();
    PublishOptions options{dir / "game", dir / "server", {"a.txt"}};
    options.sign_keys = {keys.secret_key};
    PublishRelease(options);
    const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    EXPECT_TRUE(publish::VerifyServedTree(dir / "server", keys.public_key, now).problems.empty());

    // A list signed by hand, whose check section names a file it does not list.
    const std::string text =
        platform::read_file_text(dir / "server" / "updater.lst") + "\r\n\\ghost.dll\r\n";
    const platform::Bytes packed =
        EncodeBZip2(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    platform::write_file_atomic(dir / "server" / "updater.lst.vdp",
                                std::string(packed.begin(), packed.end()));
    platform::write_file_atomic(
        dir / "server" / "updater.lst.vdp.sig",
        SignRelease(packed, ReleaseTerms{2, "main", now, now + 3600}, {keys.secret_key}));
    const auto check = publish::VerifyServedTree(dir / "server", keys.public_key, now);
    ASSERT_EQ(check.problems.size(), 1u);
    EXPECT_THAT(check.problems[0], HasSubstr("\\ghost.dll"));
}

} // namespace
} // namespace launcher
