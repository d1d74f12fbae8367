// Signed releases: with a publisher's key configured, only a file list that
// the key signed, that is not older than one accepted and has not expired,
// reaches the game folder.
#include "config/language_table.h"
#include "platform/files.h"
#include "update/accepted_release.h"
#include "update/published_game.h"
#include "update/release_signature.h"
#include "update/workflow_harness.h"

#include <algorithm>
#include <map>
#include <sodium.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

using ::testing::HasSubstr;

constexpr std::int64_t kNow = 1'800'000'000; // 2027-01-15
constexpr std::int64_t kDay = 24 * 60 * 60;

// Every file below a folder with its bytes, the updater folder included.
std::map<std::string, std::string> snapshot(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(folder).string()] =
                platform::read_file_text(entry.path());
    return files;
}

// The signature file of format 1, as earlier versions wrote it.
std::string format_1_signature(std::span<const std::uint8_t> manifest, std::uint64_t release,
                               std::int64_t expires, const KeyPair& key) {
    const std::string text = "launcher-release-signature 1\nrelease " + std::to_string(release) +
                             "\nexpires " + UtcText(expires) + "\nsha256 " + Sha256Hex(manifest) +
                             "\nkey " + KeyId(key.public_key) + "\n";
    std::array<std::uint8_t, crypto_sign_BYTES> signature{};
    crypto_sign_detached(signature.data(), nullptr,
                         reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                         key.secret_key.data());
    std::string hex(2 * signature.size() + 1, '\0');
    sodium_bin2hex(hex.data(), hex.size(), signature.data(), signature.size());
    hex.pop_back();
    return text + "signature " + hex + "\n";
}

struct Signing {
    std::uint64_t release = 1;
    std::vector<const KeyPair*> signers{};
    std::int64_t expires = kNow + 30 * kDay;
    std::string channel{"main"};
    std::int64_t signed_at = kNow - kDay;
};

class SignedReleaseTest : public ::testing::Test {
protected:
    SignedReleaseTest() {
        h.config.UpdateServers.PublicKeys = {PublicKeyText(publisher.public_key)};
    }

    std::string sign(const Signing& signing) const {
        const platform::Bytes packed = platform::read_file(h.tree / "updater.lst.vdp");
        std::vector<SecretKey> keys;
        for (const KeyPair* signer : signing.signers)
            keys.push_back(signer->secret_key);
        if (keys.empty())
            keys.push_back(publisher.secret_key);
        return SignRelease(
            packed,
            ReleaseTerms{signing.release, signing.channel, signing.signed_at, signing.expires},
            keys);
    }

    // Publishes `release` and serves its signature as `signing` makes it.
    void publish_signed(const Release& release, const Signing& signing) {
        h.publish(release);
        h.server.serve("/updater.lst.vdp.sig", Resource{sign(signing)});
    }
    void publish_signed(const Release& release, std::uint64_t number, const KeyPair& signer,
                        std::int64_t expires = kNow + 30 * kDay) {
        publish_signed(release, Signing{number, {&signer}, expires});
    }

    UpdateWorkflow& run() {
        UpdateWorkflow& workflow = h.make_workflow();
        workflow.UnixTime = [this] { return now; };
        workflow.MainTimerTimer();
        return workflow;
    }

    std::string record() const {
        return platform::read_file_text(h.game / "updater" / "Release.lst");
    }

    WorkflowHarness h;
    KeyPair publisher = GenerateKeyPair();
    std::int64_t now = kNow;
    const Release first{{{"\\a.txt", "a1"}, {"\\system\\b.dat", "b1"}}};
    const Release second{{{"\\a.txt", "a2"}, {"\\system\\b.dat", "b2"}}};
};

TEST_F(SignedReleaseTest, AGoodSignatureInstallsTheRelease) {
    publish_signed(first, 1, publisher);
    UpdateWorkflow& workflow = run();
    EXPECT_EQ(workflow.end(), WorkflowEnd::Updated);
    EXPECT_EQ(h.read("\\a.txt"), "a1");
    EXPECT_EQ(record(), "1\r\nkey " + KeyId(publisher.public_key) + "\r\nformat 2\r\n");
    EXPECT_TRUE(h.logged("Signed release 1 accepted (channel main, newest key " +
                         KeyId(publisher.public_key) + ")"));
}

// What the harness shows for a language entry.
std::string shown(LanguageEntry entry) {
    return "S" + std::to_string(static_cast<std::size_t>(entry)) + " ";
}

// The message panel's line for one server's refused release.
std::string refused_line(const std::string& server, const std::string& reason) {
    return shown(LanguageEntry::ReleaseRefusedByPrefix) + server + ": " + reason;
}

struct Refusal {
    const char* what;
    LanguageEntry message; // the status line's entry
    const char* reason;
};

TEST_F(SignedReleaseTest, EveryRefusalLeavesTheGameFolderByteIdentical) {
    publish_signed(first, 5, publisher);
    run();
    ASSERT_EQ(h.read("\\a.txt"), "a1");
    const KeyPair stranger = GenerateKeyPair();

    const std::vector<std::pair<Refusal, std::function<void()>>> cases = {
        {{"manifest changed after signing", LanguageEntry::ReleaseNotSigned,
          "not the one the publisher signed"},
         [&] {
             publish_signed(second, 6, publisher);
             Release tampered = second;
             tampered.files[0].content = "evil";
             h.publish(tampered); // the signature of `second` is still served
         }},
        {{"a file list longer than the size its signature states", LanguageEntry::ReleaseNotSigned,
          "is longer than the"},
         [&] {
             publish_signed(second, 6, publisher);
             h.server.serve(
                 "/updater.lst.vdp",
                 Resource{platform::read_file_text(h.tree / "updater.lst.vdp") + "more"});
         }},
        {{"signature file missing", LanguageEntry::ReleaseNotSigned,
          "signature file could not be fetched"},
         [&] {
             h.publish(second);
             h.server.serve("/updater.lst.vdp.sig", Resource{"", false, HeadLength::Given, 404});
         }},
        {{"signed by an unknown key", LanguageEntry::ReleaseNotSigned, "does not know"},
         [&] { publish_signed(second, 6, stranger); }},
        {{"a damaged signature file", LanguageEntry::ReleaseNotSigned, "damaged"},
         [&] {
             h.publish(second);
             h.server.serve("/updater.lst.vdp.sig", Resource{"launcher-release-signature 1\n"});
         }},
        {{"an older release after a newer one (rollback)", LanguageEntry::ReleaseOlder,
          "older than release 5"},
         [&] { publish_signed(second, 4, publisher); }},
        {{"an expired release (freeze)", LanguageEntry::ReleaseExpired, "expired"},
         [&] { publish_signed(second, 6, publisher, kNow - 1); }},
        {{"a release for another channel (another game's release, same key)",
          LanguageEntry::ReleaseOtherChannel, "is for channel other, this launcher is on main"},
         [&] {
             publish_signed(second, Signing{6, {}, kNow + kDay, "other"});
         }},
        {{"valid for longer than 90 days (freeze)", LanguageEntry::ReleaseNotSigned,
          "not between 0 and 90 days"},
         [&] {
             publish_signed(second, Signing{6, {}, kNow - kDay + 91 * kDay});
         }},
        {{"an expiry before its signing", LanguageEntry::ReleaseNotSigned,
          "not between 0 and 90 days"},
         [&] {
             publish_signed(second, Signing{6, {}, kNow + kDay, "main", kNow + 2 * kDay});
         }},
        {{"format 1 after a format-2 release was accepted", LanguageEntry::ReleaseNotSigned,
          "format-1 signature"},
         [&] {
             h.publish(second);
             h.server.serve(
                 "/updater.lst.vdp.sig",
                 Resource{format_1_signature(platform::read_file(h.tree / "updater.lst.vdp"), 6,
                                             kNow + kDay, publisher)});
         }},
        {{"a signature line of a known key that does not verify beside a good one",
          LanguageEntry::ReleaseNotSigned, "does not verify"},
         [&] {
             const KeyPair other = GenerateKeyPair();
             h.config.UpdateServers.PublicKeys.push_back(PublicKeyText(other.public_key));
             publish_signed(second, Signing{6, {&publisher, &other}});
             std::string text = sign(Signing{6, {&publisher, &other}});
             text[text.size() - 2] = text[text.size() - 2] == '0' ? '1' : '0';
             h.server.serve("/updater.lst.vdp.sig", Resource{text});
         }},
        {{"a placeholder Hash in the signed list (unsigned content)",
          LanguageEntry::ReleaseNotSigned, "placeholder hash"},
         [&] {
             Release placeholder = second;
             placeholder.extra_catalogue_lines = {
                 "00000000000000000000000000000000|\\c.txt|2|45122.4375|" + Md5Of("x")};
             publish_signed(placeholder, 6, publisher);
         }},
        {{"a placeholder packed hash in the signed list", LanguageEntry::ReleaseNotSigned,
          "\\d.txt"},
         [&] {
             Release placeholder = second;
             placeholder.extra_catalogue_lines = {
                 Md5Of("dd") + "|\\d.txt|2|45122.4375|00000000000000000000000000000000"};
             publish_signed(placeholder, 6, publisher);
         }},
    };
    for (const auto& [refusal, serve] : cases) {
        h.config.UpdateServers.PublicKeys = {PublicKeyText(publisher.public_key)};
        serve();
        const auto before = snapshot(h.game.path());
        UpdateWorkflow& workflow = run();
        EXPECT_EQ(workflow.end(), WorkflowEnd::Refused) << refusal.what;
        EXPECT_THAT(workflow.EndReason(), HasSubstr(refusal.reason)) << refusal.what;
        EXPECT_EQ(h.view.statuses.back(), shown(refusal.message)) << refusal.what;
        // The message panel names the server and says why.
        const std::string server = h.server.url("/");
        EXPECT_THAT(h.view.messages,
                    ::testing::ElementsAre(refused_line(server, workflow.EndReason())))
            << refusal.what;
        ASSERT_EQ(h.view.refused.size(), 1u) << refusal.what;
        EXPECT_EQ(h.view.refused[0].server, server) << refusal.what;
        EXPECT_EQ(h.view.refused[0].reason, workflow.EndReason()) << refusal.what;
        EXPECT_TRUE(h.view.start_enabled) << refusal.what;
        EXPECT_EQ(snapshot(h.game.path()), before) << refusal.what;
    }
}

// A refused release is one server's fault: the next server is asked, and the
// refusal is told only when no server serves an acceptable release.
TEST_F(SignedReleaseTest, ARefusedReleaseSendsTheRunToTheNextServer) {
    struct Case {
        const char* what;
        bool mirror_signed;
        bool mirror_answers;
        WorkflowEnd end;
    };
    const Case cases[] = {
        {"the mirror's release is signed", true, true, WorkflowEnd::Updated},
        {"the mirror's release is refused too", false, true, WorkflowEnd::Refused},
        {"the mirror serves no file list", false, false, WorkflowEnd::Refused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        publish_signed(first, 1, c.mirror_signed ? publisher : GenerateKeyPair());
        FaultServer mirror;
        if (c.mirror_answers) {
            ServeFolder(mirror, h.tree.path());
            mirror.serve("/updater.lst.vdp.sig",
                         Resource{SignRelease(platform::read_file(h.tree / "updater.lst.vdp"),
                                              ReleaseTerms{1, "main", kNow, kNow + 30 * kDay},
                                              {c.mirror_signed ? publisher.secret_key
                                                               : GenerateKeyPair().secret_key})});
        }
        publish_signed(first, 1, GenerateKeyPair()); // the first server's is not the publisher's
        h.config.UpdateServers.Servers = {h.server.url("/"), mirror.url("/")};
        const auto before = snapshot(h.game.path());

        UpdateWorkflow& workflow = run();
        EXPECT_EQ(workflow.end(), c.end);
        // A server without a file list already fails its probe.
        EXPECT_EQ(h.logged("Trying the next update server: " + mirror.url("/")), c.mirror_answers);
        // Every refused server is named with its reason, also when the
        // mirror's release is then taken.
        std::vector<std::string> servers;
        std::vector<std::string> lines;
        for (const RefusedRelease& refused : h.view.refused) {
            EXPECT_THAT(refused.reason, HasSubstr("does not know"));
            servers.push_back(refused.server);
            lines.push_back(refused_line(refused.server, refused.reason));
        }
        EXPECT_EQ(workflow.RefusedReleases().size(), h.view.refused.size());
        if (c.end == WorkflowEnd::Updated) {
            EXPECT_EQ(h.read("\\a.txt"), "a1");
            EXPECT_THAT(servers, ::testing::ElementsAre(h.server.url("/")));
            EXPECT_THAT(h.view.messages, ::testing::ElementsAre(lines[0]));
        } else if (c.mirror_answers) {
            EXPECT_THAT(servers, ::testing::ElementsAre(h.server.url("/"), mirror.url("/")));
            // The first is told as the run goes on; the end names both.
            EXPECT_THAT(h.view.messages,
                        ::testing::ElementsAre(lines[0], lines[0] + "\n" + lines[1]));
            EXPECT_EQ(h.view.statuses.back(), shown(LanguageEntry::ReleaseNotSigned));
        } else {
            EXPECT_THAT(servers, ::testing::ElementsAre(h.server.url("/")));
            EXPECT_THAT(h.view.messages, ::testing::ElementsAre(lines[0]));
        }
        if (c.end != WorkflowEnd::Updated) {
            EXPECT_THAT(workflow.EndReason(), HasSubstr("does not know"));
            EXPECT_EQ(snapshot(h.game.path()), before);
        }
    }
}

// The signed size bounds the file list: a longer one is refused on the
// length the server states, neither read nor asked for again.
TEST_F(SignedReleaseTest, AFileListLongerThanItsSignedSizeIsNotRead) {
    publish_signed(first, 1, publisher);
    const std::string signed_list = platform::read_file_text(h.tree / "updater.lst.vdp");
    h.server.serve("/updater.lst.vdp", Resource{signed_list + std::string(1 << 20, 'x')});
    UpdateWorkflow& workflow = run();
    EXPECT_EQ(workflow.end(), WorkflowEnd::Refused);
    EXPECT_THAT(workflow.EndReason(),
                HasSubstr("longer than the " + std::to_string(signed_list.size()) + " bytes"));
    // At most the answer that stated the length, never a range of the body.
    const auto gets = h.server.gets("/updater.lst.vdp");
    EXPECT_LE(gets.size(), 1u);
    for (const LoggedRequest& get : gets)
        EXPECT_EQ(get.range, "");
    EXPECT_FALSE(h.exists("\\a.txt"));
}

TEST_F(SignedReleaseTest, TheSecondOfTwoKeysIsAcceptedForKeyRotation) {
    const KeyPair next = GenerateKeyPair();
    h.config.UpdateServers.PublicKeys = {"not a key", PublicKeyText(publisher.public_key),
                                         PublicKeyText(next.public_key)};
    publish_signed(first, 1, next);
    EXPECT_EQ(run().end(), WorkflowEnd::Updated);
    EXPECT_EQ(h.read("\\a.txt"), "a1");
}

// Keys are newer the later their publickey= line. Once a release signed by
// the newer key was accepted, the older key alone no longer counts.
TEST_F(SignedReleaseTest, AnOlderKeyAloneIsRefusedOnceANewerOneSignedAnAcceptedRelease) {
    const KeyPair next = GenerateKeyPair();
    h.config.UpdateServers.PublicKeys = {PublicKeyText(publisher.public_key),
                                         PublicKeyText(next.public_key)};
    struct Step {
        const char* what;
        std::vector<const KeyPair*> signers;
        WorkflowEnd end;
        const KeyPair* recorded; // the newest key the record names afterwards
    };
    const std::vector<Step> steps = {
        {"old key only, before any new-key release",
         {&publisher},
         WorkflowEnd::Updated,
         &publisher},
        {"old and new key (the overlap)", {&publisher, &next}, WorkflowEnd::Updated, &next},
        {"old key only, after the overlap", {&publisher}, WorkflowEnd::Refused, &next},
        {"new key only", {&next}, WorkflowEnd::Updated, &next},
    };
    std::uint64_t number = 1;
    for (const Step& step : steps) {
        Release release = first;
        release.files[0].content = "a" + std::to_string(number);
        release.check_section = {"\\a.txt"};
        publish_signed(release, Signing{number, step.signers});
        const auto before = snapshot(h.game.path());
        UpdateWorkflow& workflow = run();
        EXPECT_EQ(workflow.end(), step.end) << step.what;
        if (step.end == WorkflowEnd::Refused) {
            EXPECT_THAT(workflow.EndReason(),
                        HasSubstr("signed only by keys older than key " + KeyId(next.public_key)))
                << step.what;
            EXPECT_EQ(snapshot(h.game.path()), before) << step.what;
        } else {
            EXPECT_EQ(h.read("\\a.txt"), release.files[0].content) << step.what;
        }
        EXPECT_THAT(record(), HasSubstr("key " + KeyId(step.recorded->public_key))) << step.what;
        ++number;
    }
}

// updater/Release.lst holds what the game folder accepted; a damaged one
// must not read as "nothing accepted", which would let a rollback in.
TEST_F(SignedReleaseTest, ADamagedReleaseRecordIsRefusedAndTold) {
    publish_signed(first, 5, publisher);
    const struct {
        const char* what;
        std::string content;
        const char* found; // what the log says was there
    } cases[] = {
        {"empty", "", "its first line is not a release number (the record holds \"\")"},
        {"not a number", "abc\r\n", "\"abc\\r\\n\""},
        {"a number with a tail", "3abc\r\n", "\"3abc\\r\\n\""},
        {"a blank before it", " 3\r\n", "its first line is not a release number"},
        {"past 2^64-1", "18446744073709551616\r\n", "its first line is not a release number"},
        {"oversized", std::string(300, '1'), "it is longer than 256 bytes"},
        {"an unknown line", "3\r\nkey nothex\r\n", "line 2 is not one of a record"},
        {"a line twice", "3\r\nformat 2\r\nformat 2\r\n", "line 3 is not one of a record"},
    };
    for (const auto& c : cases) {
        h.write("\\updater\\Release.lst", c.content);
        const auto before = snapshot(h.game.path());
        UpdateWorkflow& workflow = run();
        EXPECT_EQ(workflow.end(), WorkflowEnd::Refused) << c.what;
        EXPECT_EQ(h.view.statuses.back(), shown(LanguageEntry::ReleaseRecordDamaged)) << c.what;
        EXPECT_THAT(h.view.messages,
                    ::testing::ElementsAre(shown(LanguageEntry::ReleaseRecordDamaged)))
            << c.what << ": no server is blamed for the game folder's own record";
        EXPECT_TRUE(h.view.refused.empty()) << c.what;
        EXPECT_THAT(workflow.EndReason(), HasSubstr("is damaged")) << c.what;
        const auto& lines = h.log.lines();
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                                [&](const std::string& line) {
                                    return line.starts_with("Release refused: ") &&
                                           line.find(c.found) != line.npos;
                                }))
            << c.what << ": the debug log says what was found";
        EXPECT_THAT(workflow.EndReason(), HasSubstr(c.found)) << c.what;
        EXPECT_EQ(snapshot(h.game.path()), before) << c.what;
    }
    // A record of an earlier version (the number alone) still reads.
    h.write("\\updater\\Release.lst", "4\r\n");
    EXPECT_EQ(run().end(), WorkflowEnd::Updated);
    EXPECT_EQ(record(), "5\r\nkey " + KeyId(publisher.public_key) + "\r\nformat 2\r\n");
}

TEST_F(SignedReleaseTest, ADeletedRecordIsAFreshInstallThatTakesAnOlderRelease) {
    publish_signed(second, 7, publisher);
    ASSERT_EQ(run().end(), WorkflowEnd::Updated);
    Release older = first;
    older.check_section = {"\\a.txt"};
    publish_signed(older, 6, publisher);
    EXPECT_EQ(run().end(), WorkflowEnd::Refused);
    std::filesystem::remove(h.game / "updater" / "Release.lst");
    EXPECT_EQ(run().end(), WorkflowEnd::Updated) << "nothing tells it from a fresh install";
    EXPECT_EQ(h.read("\\a.txt"), "a1");
    EXPECT_TRUE(
        h.logged("No record of accepted releases: this game folder takes any valid release"));
}

// A server that fails to answer for the signature file has not served a
// release at all: that is no server, not an unsigned release.
TEST(SignedReleaseServerTest, ASignatureFileThatIsNotAnsweredIsNoServer) {
    const struct {
        const char* what;
        std::function<void(FaultServer&)> fault;
    } cases[] = {
        {"answered with 500",
         [](FaultServer& server) {
             server.add_fault("/updater.lst.vdp.sig",
                              Fault{Fault::Kind::Status, 0, 500, {}, Fault::kEveryRequest});
         }},
        {"HEAD answered with 500",
         [](FaultServer& server) {
             server.serve("/updater.lst.vdp.sig", Resource{"x\n", false, HeadLength::Given, 500});
         }},
        {"HEAD never answered",
         [](FaultServer& server) {
             server.serve("/updater.lst.vdp.sig",
                          Resource{"x\n", false, HeadLength::Given, 200, {}, true});
         }},
        {"GET never answered",
         [](FaultServer& server) {
             server.add_fault(
                 "/updater.lst.vdp.sig",
                 Fault{Fault::Kind::StallBeforeHeaders, 0, 0, {}, Fault::kEveryRequest});
         }},
    };
    for (const auto& c : cases) {
        WorkflowHarness h(true);
        const KeyPair publisher = GenerateKeyPair();
        h.config.UpdateServers.PublicKeys = {PublicKeyText(publisher.public_key)};
        h.publish(Release{{{"\\a.txt", "a1"}}});
        const platform::Bytes packed = platform::read_file(h.tree / "updater.lst.vdp");
        h.server.serve("/updater.lst.vdp.sig",
                       Resource{SignRelease(packed, ReleaseTerms{1, "main", kNow, kNow + kDay},
                                            {publisher.secret_key})});
        c.fault(h.server);
        const auto before = snapshot(h.game.path());
        UpdateWorkflow& workflow = h.make_workflow();
        workflow.UnixTime = [] { return kNow; };
        workflow.MainTimerTimer();
        EXPECT_EQ(workflow.end(), WorkflowEnd::NoServer) << c.what;
        EXPECT_EQ(h.view.statuses.back(), "S15 ") << c.what;
        EXPECT_THAT(workflow.EndReason(), HasSubstr("signature file could not be fetched"))
            << c.what;
        EXPECT_EQ(snapshot(h.game.path()), before) << c.what;
    }
}

// Format 1 carries no channel and no signing time. It is taken only until
// the game folder accepted a format-2 release, and only when it expires
// within 90 days from now.
TEST_F(SignedReleaseTest, AFormat1ReleaseIsTakenOnlyBeforeFormat2AndWithinTheBound) {
    const auto serve_format_1 = [&](const Release& release, std::uint64_t number,
                                    std::int64_t expires) {
        h.publish(release);
        h.server.serve("/updater.lst.vdp.sig",
                       Resource{format_1_signature(platform::read_file(h.tree / "updater.lst.vdp"),
                                                   number, expires, publisher)});
    };
    serve_format_1(first, 3, kNow + 91 * kDay);
    UpdateWorkflow& long_one = run();
    EXPECT_EQ(long_one.end(), WorkflowEnd::Refused);
    EXPECT_THAT(long_one.EndReason(), HasSubstr("format-1 signature that is valid for 91 days"));

    h.config.UpdateServers.Channel = "beta";
    serve_format_1(first, 3, kNow + 30 * kDay);
    EXPECT_EQ(run().end(), WorkflowEnd::Refused) << "format 1 is of the default channel";
    h.config.UpdateServers.Channel.clear();

    h.write("\\updater\\Release.lst", "2\r\n"); // left by an earlier version
    EXPECT_EQ(run().end(), WorkflowEnd::Updated);
    EXPECT_EQ(h.read("\\a.txt"), "a1");
    EXPECT_EQ(record(), "3\r\nkey " + KeyId(publisher.public_key) + "\r\nformat 1\r\n");
}

TEST_F(SignedReleaseTest, WithoutAKeyNothingIsAskedOfTheServer) {
    h.config.UpdateServers.PublicKeys.clear();
    h.publish(first);
    EXPECT_EQ(run().end(), WorkflowEnd::Updated);
    EXPECT_EQ(h.read("\\a.txt"), "a1");
    EXPECT_EQ(h.requests("HEAD", "/updater.lst.vdp.sig"), 0);
}

TEST_F(SignedReleaseTest, TheSameReleaseAgainAndANewerOneAreAccepted) {
    publish_signed(first, 3, publisher);
    run();
    EXPECT_EQ(run().end(), WorkflowEnd::Updated) << "the same release number again";
    Release newer = second;
    newer.check_section = {"\\a.txt"};
    publish_signed(newer, 9, publisher);
    EXPECT_EQ(run().end(), WorkflowEnd::Updated);
    EXPECT_EQ(h.read("\\a.txt"), "a2");
    EXPECT_THAT(record(), ::testing::StartsWith("9\r\n"));
}

TEST_F(SignedReleaseTest, AnArchiveChangedAfterSigningIsRefusedByItsHash) {
    publish_signed(first, 1, publisher);
    h.server.serve("/a.txt.vdp", Resource{"not the signed archive"});
    UpdateWorkflow& workflow = run();
    EXPECT_EQ(workflow.end(), WorkflowEnd::Updated);
    ASSERT_EQ(workflow.FailedFiles().size(), 1u);
    EXPECT_EQ(workflow.FailedFiles()[0].name, "\\a.txt");
    EXPECT_FALSE(h.exists("\\a.txt"));
}

TEST_F(SignedReleaseTest, FileModeReadsTheSignatureFromTheFileModeFolder) {
    publish_signed(first, 1, publisher);
    platform::write_file_atomic(h.tree / "updater.lst.vdp.sig", sign(Signing{1}));
    h.setup.FileModeActive = true;
    h.setup.FileModeFolder = h.tree.path();
    EXPECT_EQ(run().end(), WorkflowEnd::Updated);
    EXPECT_EQ(h.read("\\a.txt"), "a1");

    std::filesystem::remove(h.tree / "updater.lst.vdp.sig");
    UpdateWorkflow& refused = run();
    EXPECT_EQ(refused.end(), WorkflowEnd::Refused);
    EXPECT_THAT(refused.EndReason(), HasSubstr("missing"));
}

// The signature file's own format.
TEST(ReleaseSignatureTest, SignedLinesRoundTripAndAnyChangeBreaksThem) {
    const KeyPair keys = GenerateKeyPair();
    const KeyPair other = GenerateKeyPair();
    const std::string manifest = "packed manifest bytes";
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(manifest.data()), manifest.size());
    const ReleaseTerms terms{42, "live-2", kNow - kDay, kNow};
    const std::string signature = SignRelease(bytes, terms, {keys.secret_key, other.secret_key});
    EXPECT_EQ(signature.substr(0, signature.find("\nsignature ") + 1),
              "launcher-release-signature 2\nrelease 42\nchannel live-2\nsigned "
              "2027-01-14T08:00:00Z\nexpires 2027-01-15T08:00:00Z\nsize 21\nsha256 " +
                  Sha256Hex(bytes) + "\n");
    std::string error;
    const auto parsed = ParseReleaseSignature(signature, error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_EQ(parsed->terms.release, 42u);
    EXPECT_EQ(parsed->terms.channel, "live-2");
    EXPECT_EQ(parsed->terms.signed_at, kNow - kDay);
    EXPECT_EQ(parsed->terms.expires, kNow);
    ASSERT_EQ(parsed->signatures.size(), 2u);
    EXPECT_EQ(parsed->signatures[1].key_id, KeyId(other.public_key));
    const auto verify = [&](const std::string& text, std::optional<std::string_view> channel) {
        return VerifyRelease(text, bytes, {keys.public_key}, channel, kNow - 1, {}).verdict;
    };
    EXPECT_EQ(verify(signature, "live-2"), ReleaseVerdict::Valid);
    EXPECT_EQ(verify(signature, std::nullopt), ReleaseVerdict::Valid);
    EXPECT_EQ(verify(signature, "main"), ReleaseVerdict::OtherChannel);

    const struct {
        const char* from;
        const char* to;
        ReleaseVerdict verdict;
    } changes[] = {
        {"release 42", "release 99", ReleaseVerdict::BadSignature},
        {"channel live-2", "channel live-3", ReleaseVerdict::BadSignature},
        {"signed 2027-01-14", "signed 2027-01-13", ReleaseVerdict::BadSignature},
        {"size 21", "size 22", ReleaseVerdict::BadSignature},
        {"\n", "\r\n", ReleaseVerdict::Malformed},
        {"release 42", "release 042", ReleaseVerdict::BadSignature},
        {"release 42", "release +42", ReleaseVerdict::Malformed},
        {"release 42", "release  42", ReleaseVerdict::Malformed},
        {"release 42", "release 18446744073709551616", ReleaseVerdict::Malformed},
        {"channel live-2", "channel live 2", ReleaseVerdict::Malformed},
        {"channel live-2", "channel ", ReleaseVerdict::Malformed},
        {"launcher-release-signature 2", "launcher-release-signature 3", ReleaseVerdict::Malformed},
        {"size 21\n", "", ReleaseVerdict::Malformed},
    };
    for (const auto& change : changes) {
        std::string changed = signature;
        changed.replace(changed.find(change.from), std::string_view(change.from).size(), change.to);
        EXPECT_EQ(verify(changed, std::nullopt), change.verdict)
            << change.from << " -> " << change.to;
    }
    // Structure: one key twice, too many signatures, no signature, a long file.
    const std::string head = signature.substr(0, signature.find("\nsignature ") + 1);
    const std::string line =
        signature.substr(head.size(), signature.find('\n', head.size()) + 1 - head.size());
    std::string many = head;
    for (std::size_t i = 0; i <= kMostSignatures; ++i)
        many += "signature " + KeyId(GenerateKeyPair().public_key) + line.substr(26);
    for (const std::string& bad :
         {head + line + line, many, head, signature + std::string(kLongestSignatureFile, '\n'),
          signature.substr(0, signature.size() - 1)})
        EXPECT_EQ(verify(bad, std::nullopt), ReleaseVerdict::Malformed);
}

TEST(ReleaseSignatureTest, TheAcceptedRecordRoundTrips) {
    AcceptedRelease accepted{18446744073709551615u, "0123456789abcdef", 2};
    std::string found;
    const auto back = ParseAcceptedRelease(AcceptedReleaseText(accepted), found);
    ASSERT_TRUE(back) << found;
    EXPECT_EQ(back->release, accepted.release);
    EXPECT_EQ(back->newest_key, accepted.newest_key);
    EXPECT_EQ(back->format, 2);
    EXPECT_TRUE(ParseAcceptedRelease("7", found)) << "no line end after the number";
    EXPECT_TRUE(ParseAcceptedRelease("7\n", found));
}

TEST(ReleaseSignatureTest, KeysHaveAPrintableFormThatReadsBack) {
    const KeyPair keys = GenerateKeyPair();
    EXPECT_EQ(ParsePublicKey(PublicKeyText(keys.public_key)), keys.public_key);
    EXPECT_EQ(ParseSecretKey(SecretKeyText(keys.secret_key)), keys.secret_key);
    EXPECT_EQ(PublicKeyOf(keys.secret_key), keys.public_key);
    EXPECT_THAT(PublicKeyText(keys.public_key), ::testing::StartsWith("ed25519:"));
    for (const char* bad : {"", "ed25519:", "ed25519:AAAA", "rsa:abc", "ed25519:!!!!"})
        EXPECT_FALSE(ParsePublicKey(bad)) << bad;
}

TEST(ReleaseSignatureTest, UtcTextRoundTrips) {
    EXPECT_EQ(UtcText(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(UtcText(kNow), "2027-01-15T08:00:00Z");
    EXPECT_EQ(ParseUtcText("2027-01-15T08:00:00Z"), kNow);
    for (const char* bad : {"2027-13-01T00:00:00Z", "2027-01-15 08:00:00", "2027-02-30T00:00:00Z"})
        EXPECT_FALSE(ParseUtcText(bad)) << bad;
}

} // namespace
} // namespace launcher::testing
