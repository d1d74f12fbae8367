// Signed releases: with a publisher's key configured, only a file list that
// the key signed, that is not older than one accepted and has not expired,
// reaches the game folder.
#include "platform/files.h"
#include "update/published_game.h"
#include "update/release_signature.h"
#include "update/workflow_harness.h"

#include <map>

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

class SignedReleaseTest : public ::testing::Test {
protected:
    SignedReleaseTest() {
        h.config.UpdateServers.PublicKeys = {PublicKeyText(publisher.public_key)};
    }

    // Publishes `release` and serves its signature as `signer` makes it.
    void publish_signed(const Release& release, std::uint64_t number, const KeyPair& signer,
                        std::int64_t expires = kNow + 30 * kDay) {
        h.publish(release);
        const platform::Bytes packed = platform::read_file(h.tree / "updater.lst.vdp");
        h.server.serve("/updater.lst.vdp.sig",
                       Resource{SignRelease(packed, number, expires, signer.secret_key)});
    }

    UpdateWorkflow& run() {
        UpdateWorkflow& workflow = h.make_workflow();
        workflow.UnixTime = [this] { return now; };
        workflow.MainTimerTimer();
        return workflow;
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
    EXPECT_EQ(platform::read_file_text(h.game / "updater" / "Release.lst"), "1\r\n");
    EXPECT_TRUE(h.logged("Signed release 1 accepted"));
}

struct Refusal {
    const char* what;
    std::size_t message; // the language entry the player sees
    const char* reason;
};

TEST_F(SignedReleaseTest, EveryRefusalLeavesTheGameFolderByteIdentical) {
    publish_signed(first, 5, publisher);
    run();
    ASSERT_EQ(h.read("\\a.txt"), "a1");
    const KeyPair stranger = GenerateKeyPair();

    const std::vector<std::pair<Refusal, std::function<void()>>> cases = {
        {{"manifest changed after signing", 29, "not the one the publisher signed"},
         [&] {
             publish_signed(second, 6, publisher);
             Release tampered = second;
             tampered.files[0].content = "evil";
             h.publish(tampered); // the signature of `second` is still served
         }},
        {{"signature file missing", 29, "signature file could not be fetched"},
         [&] {
             h.publish(second);
             h.server.serve("/updater.lst.vdp.sig", Resource{"", false, HeadLength::Given, 404});
         }},
        {{"signed by an unknown key", 29, "does not know"},
         [&] { publish_signed(second, 6, stranger); }},
        {{"a damaged signature file", 29, "damaged"},
         [&] {
             h.publish(second);
             h.server.serve("/updater.lst.vdp.sig", Resource{"launcher-release-signature 1\n"});
         }},
        {{"an older release after a newer one (rollback)", 30, "older than release 5"},
         [&] { publish_signed(second, 4, publisher); }},
        {{"an expired release (freeze)", 31, "expired"},
         [&] { publish_signed(second, 6, publisher, kNow - 1); }},
    };
    for (const auto& [refusal, serve] : cases) {
        serve();
        const auto before = snapshot(h.game.path());
        UpdateWorkflow& workflow = run();
        EXPECT_EQ(workflow.end(), WorkflowEnd::Refused) << refusal.what;
        EXPECT_THAT(workflow.EndReason(), HasSubstr(refusal.reason)) << refusal.what;
        const std::string shown = "S" + std::to_string(refusal.message) + " ";
        EXPECT_EQ(h.view.statuses.back(), shown) << refusal.what;
        EXPECT_THAT(h.view.messages, ::testing::ElementsAre(shown)) << refusal.what;
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
                         Resource{SignRelease(platform::read_file(h.tree / "updater.lst.vdp"), 1,
                                              kNow + 30 * kDay,
                                              c.mirror_signed ? publisher.secret_key
                                                              : GenerateKeyPair().secret_key)});
        }
        publish_signed(first, 1, GenerateKeyPair()); // the first server's is not the publisher's
        h.config.UpdateServers.Servers = {h.server.url("/"), mirror.url("/")};
        const auto before = snapshot(h.game.path());

        UpdateWorkflow& workflow = run();
        EXPECT_EQ(workflow.end(), c.end);
        // A server without a file list already fails its probe.
        EXPECT_EQ(h.logged("Trying the next update server: " + mirror.url("/")), c.mirror_answers);
        if (c.end == WorkflowEnd::Updated) {
            EXPECT_EQ(h.read("\\a.txt"), "a1");
        } else {
            EXPECT_THAT(workflow.EndReason(), HasSubstr("does not know"));
            EXPECT_THAT(h.view.messages, ::testing::ElementsAre("S29 "));
            EXPECT_EQ(snapshot(h.game.path()), before);
        }
    }
}

TEST_F(SignedReleaseTest, TheSecondOfTwoKeysIsAcceptedForKeyRotation) {
    const KeyPair next = GenerateKeyPair();
    h.config.UpdateServers.PublicKeys = {"not a key", PublicKeyText(publisher.public_key),
                                         PublicKeyText(next.public_key)};
    publish_signed(first, 1, next);
    EXPECT_EQ(run().end(), WorkflowEnd::Updated);
    EXPECT_EQ(h.read("\\a.txt"), "a1");
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
    EXPECT_EQ(platform::read_file_text(h.game / "updater" / "Release.lst"), "9\r\n");
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
    const platform::Bytes packed = platform::read_file(h.tree / "updater.lst.vdp");
    platform::write_file_atomic(h.tree / "updater.lst.vdp.sig",
                                SignRelease(packed, 1, kNow + kDay, publisher.secret_key));
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
    const std::string manifest = "packed manifest bytes";
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(manifest.data()), manifest.size());
    const std::string signature = SignRelease(bytes, 42, kNow, keys.secret_key);
    std::string error;
    const auto parsed = ParseReleaseSignature(signature, error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_EQ(parsed->release, 42u);
    EXPECT_EQ(parsed->expires, kNow);
    EXPECT_EQ(parsed->key_id, KeyId(keys.public_key));
    EXPECT_EQ(VerifyRelease(signature, bytes, {keys.public_key}, kNow - 1, 0).verdict,
              ReleaseVerdict::Valid);

    std::string raised = signature;
    raised.replace(raised.find("release 42"), 10, "release 99");
    EXPECT_EQ(VerifyRelease(raised, bytes, {keys.public_key}, kNow - 1, 0).verdict,
              ReleaseVerdict::BadSignature);
    std::string crlf = signature;
    crlf.replace(crlf.find('\n'), 1, "\r\n");
    EXPECT_EQ(VerifyRelease(crlf, bytes, {keys.public_key}, kNow - 1, 0).verdict,
              ReleaseVerdict::BadSignature);
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
