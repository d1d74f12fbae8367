// Choosing the update server.
#include "config/debug_file.h"
#include "download/request_watch.h"
#include "platform/files.h"
#include "support/tcp_listener.h"
#include "update/server_rotation.h"
#include "update/server_selection.h"
#include "update/workflow_harness.h"

#include <map>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

using ::testing::ElementsAre;

// Answers each probe address with a fixed time, or fails it.
class ScriptedProbe final : public ServerProbe {
public:
    explicit ScriptedProbe(std::map<std::string, std::optional<std::int64_t>> answers)
        : answers_(std::move(answers)) {}
    std::optional<std::int64_t> Head(const std::string& url,
                                     std::optional<std::int64_t> limit) override {
        probed.push_back(url);
        limits.push_back(limit);
        const auto found = answers_.find(url);
        return found == answers_.end() ? std::nullopt : found->second;
    }
    std::vector<std::string> probed;
    std::vector<std::optional<std::int64_t>> limits;

private:
    std::map<std::string, std::optional<std::int64_t>> answers_;
};

struct SelectionCase {
    const char* what;
    std::vector<std::string> servers;
    bool use_ping;
    bool random_select;
    std::map<std::string, std::optional<std::int64_t>> answers; // by probe address
    std::string expected;
    std::vector<std::string> survivors;
    bool logged;
};

std::ostream& operator<<(std::ostream& out, const SelectionCase& c) {
    return out << c.what;
}

const std::string kA = "http://a/u/updater.lst.vdp";
const std::string kB = "http://b/u/updater.lst.vdp";
const std::string kC = "http://c/u/updater.lst.vdp";

class ServerSelectionTest : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(ServerSelectionTest, ChoosesAsConfigured) {
    const SelectionCase& c = GetParam();
    tUpdateServersRecord servers{c.use_ping, c.random_select, c.servers};
    ScriptedProbe probe(c.answers);
    tDebugFile log;
    log.enabled = true;
    std::mt19937 random(7);
    for (int round = 0; round < (c.random_select ? 5 : 1); ++round) {
        servers.Servers = c.servers;
        EXPECT_EQ(CheckUpdateServers(servers, probe, random, &log), c.expected);
        EXPECT_EQ(servers.Servers, c.survivors);
    }
    if (c.logged)
        EXPECT_EQ(log.lines().back(), "Selected server: " + c.expected);
    else
        EXPECT_TRUE(log.lines().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ServerSelectionTest,
    ::testing::Values(SelectionCase{"none configured", {}, true, false, {}, "", {}, false},
                      SelectionCase{"one server is used unprobed",
                                    {"http://a/u\\"},
                                    true,
                                    false,
                                    {},
                                    "http://a/u\\",
                                    {"http://a/u\\"},
                                    false},
                      SelectionCase{"ping takes the faster",
                                    {"http://a/u\\", "http://b/u\\"},
                                    true,
                                    false,
                                    {{kA, 300}, {kB, 120}},
                                    "http://b/u\\",
                                    {"http://a/u\\", "http://b/u\\"},
                                    true},
                      SelectionCase{"ties go to the earlier",
                                    {"http://a/u\\", "http://b/u\\"},
                                    true,
                                    false,
                                    {{kA, 200}, {kB, 200}},
                                    "http://a/u\\",
                                    {"http://a/u\\", "http://b/u\\"},
                                    true},
                      SelectionCase{"ping with nothing under 1000 ms takes the fastest",
                                    {"http://a/u\\", "http://b/u\\"},
                                    true,
                                    false,
                                    {{kA, 4000}, {kB, 1000}},
                                    "http://b/u\\",
                                    {"http://a/u\\", "http://b/u\\"},
                                    true},
                      SelectionCase{"all probes failing keeps the first entry",
                                    {"http://a/u\\", "http://b/u\\"},
                                    true,
                                    false,
                                    {},
                                    "http://a/u\\",
                                    {},
                                    false},
                      SelectionCase{"without ping the first that answered",
                                    {"http://a/u\\", "http://b/u\\", "http://c/u\\"},
                                    false,
                                    false,
                                    {{kB, 10}, {kC, 10}},
                                    "http://b/u\\",
                                    {"http://b/u\\", "http://c/u\\"},
                                    true},
                      SelectionCase{"random picks the only survivor",
                                    {"http://a/u\\", "http://b/u\\", "http://c/u\\"},
                                    false,
                                    true,
                                    {{kC, 700}},
                                    "http://c/u\\",
                                    {"http://c/u\\"},
                                    true},
                      SelectionCase{"probe trims, result keeps blanks",
                                    {"  http://a/u\\ ", "http://b/u\\"},
                                    true,
                                    false,
                                    {{kA, 5}, {kB, 50}},
                                    "  http://a/u\\ ",
                                    {"  http://a/u\\ ", "http://b/u\\"},
                                    true},
                      SelectionCase{"empty entries are skipped and kept",
                                    {"", "http://b/u\\"},
                                    true,
                                    false,
                                    {{kB, 50}},
                                    "http://b/u\\",
                                    {"", "http://b/u\\"},
                                    true}));

// The servers after the first choice are the ones a run goes on with.
TEST(ServerSelectionRankTest, ServersThatAnsweredAreRankedAndSlowOnesProbedAgain) {
    struct Case {
        const char* what;
        bool use_ping;
        std::map<std::string, std::optional<std::int64_t>> answers;
        std::vector<std::string> ranked;
        std::size_t probes;
    };
    const Case cases[] = {
        {"configuration order without ping",
         false,
         {{kA, 900}, {kC, 5}},
         {"http://a/u\\", "http://c/u\\"},
         3},
        {"fastest first with ping",
         true,
         {{kA, 900}, {kB, 30}, {kC, 300}},
         {"http://b/u\\", "http://c/u\\", "http://a/u\\"},
         3},
        {"slow ones asked again without the limit",
         true,
         {{kA, 1000}, {kC, 1000}},
         {"http://a/u\\", "http://c/u\\"},
         5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tUpdateServersRecord servers{
            c.use_ping, false, {"http://a/u\\", "http://b/u\\", "http://c/u\\"}};
        ScriptedProbe probe(c.answers);
        std::mt19937 random(1);
        EXPECT_EQ(RankUpdateServers(servers, probe, random, nullptr), c.ranked);
        EXPECT_EQ(probe.probed.size(), c.probes);
        if (c.probes > 3)
            EXPECT_EQ(probe.limits.back(), std::nullopt);
    }
}

TEST(ServerSelectionProbeTest, SeparatorBeforeTheProbeFile) {
    tUpdateServersRecord servers{false, false, {"http://a/x/", "http://b/y\\", "http://c/z"}};
    ScriptedProbe probe({});
    std::mt19937 random(1);
    CheckUpdateServers(servers, probe, random, nullptr);
    EXPECT_THAT(probe.probed,
                ElementsAre("http://a/x//updater.lst.vdp", "http://b/y/updater.lst.vdp",
                            "http://c/z/updater.lst.vdp"));
}

TEST(ServerSelectionEndToEndTest, DeadFirstServerIsDroppedAndTheSecondServes) {
    WorkflowHarness h;
    h.publish(Release{{{"\\a.txt", "a"}}});
    h.config.UpdateServers = {true, false, {"http://127.0.0.1:9/", h.server.url("/")}};
    UpdateWorkflow& workflow = h.run();
    EXPECT_EQ(workflow.URLMain, h.server.url("/"));
    EXPECT_EQ(h.config.UpdateServers.Servers, std::vector<std::string>{h.server.url("/")});
    EXPECT_TRUE(h.logged("Selected server: " + h.server.url("/")));
    EXPECT_EQ(h.read("\\a.txt"), "a");
    const auto heads = h.server.requests();
    ASSERT_FALSE(heads.empty());
    EXPECT_EQ(heads.front().method, "HEAD");
    EXPECT_EQ(heads.front().path, "//updater.lst.vdp");
    EXPECT_EQ(heads.front().user_agent,
              "Opera/9.80 (Windows NT 6.2; WOW64) Presto/2.12.388 Version/12.16");
}

// Servers that accept a connection and never answer cost one stall period
// per request (or the probe's time limit), in virtual time here.
TEST(ServerSelectionHangTest, ProbeOfAServerThatNeverAnswersIsAbandonedAtTheLimit) {
    WorkflowHarness h(true);
    h.publish(Release{{{"\\a.txt", "a"}}});
    TcpListener silent("127.0.0.1", 0);
    const std::string dead = "http://127.0.0.1:" + std::to_string(silent.port()) + "/";
    h.config.UpdateServers = {true, false, {dead, h.server.url("/")}};
    const auto start = h.clock.now();
    UpdateWorkflow& workflow = h.run();
    EXPECT_EQ(workflow.URLMain, h.server.url("/"));
    EXPECT_EQ(h.read("\\a.txt"), "a");
    EXPECT_LT(h.clock.now() - start, kStallPeriod) << "abandoned once it could not win";
    EXPECT_EQ(h.config.UpdateServers.Servers.size(), 2u) << "too slow is not failed";
}

TEST(ServerSelectionHangTest, ManifestFromAServerThatNeverAnswersEndsInItsStallAllowance) {
    WorkflowHarness h(true);
    TcpListener silent("127.0.0.1", 0);
    h.config.UpdateServers.Servers = {"http://127.0.0.1:" + std::to_string(silent.port()) + "/"};
    const auto start = h.clock.now();
    UpdateWorkflow& workflow = h.run();
    EXPECT_EQ(workflow.end(), WorkflowEnd::NoServer);
    EXPECT_TRUE(h.view.start_enabled);
    EXPECT_GE(h.clock.now() - start, kFileStallAllowance * kStallPeriod);
    EXPECT_LE(h.clock.now() - start, kFileStallAllowance * (kStallPeriod + kPaceTick));
}

// A distant server answers after the 1 s limit: with nothing faster it is
// asked again without the limit, and used.
TEST(ServerSelectionHangTest, WithPingAServerSlowerThanTheLimitIsStillUsed) {
    WorkflowHarness h(true);
    h.publish(Release{{{"\\a.txt", "a"}}});
    Resource slow{platform::read_file_text(h.tree / "updater.lst.vdp")};
    slow.head_delay = std::chrono::milliseconds(150);
    h.server.serve("//updater.lst.vdp", slow);
    h.config.UpdateServers = {true, false, {"http://127.0.0.1:9/", h.server.url("/")}};
    UpdateWorkflow& workflow = h.run();
    EXPECT_EQ(workflow.end(), WorkflowEnd::Updated);
    EXPECT_EQ(workflow.URLMain, h.server.url("/"));
    EXPECT_EQ(h.read("\\a.txt"), "a");
    EXPECT_EQ(h.requests("HEAD", "//updater.lst.vdp"), 2) << "probed again without the limit";
}

TEST(ServerSelectionHangTest, OneDroppedManifestConnectionDoesNotEndTheUpdate) {
    WorkflowHarness h;
    h.publish(Release{{{"\\a.txt", "a"}}});
    h.server.add_fault("/updater.lst.vdp",
                       Fault{.kind = Fault::Kind::DropAfterBytes, .after_bytes = 3, .times = 1});
    UpdateWorkflow& workflow = h.run();
    EXPECT_EQ(workflow.end(), WorkflowEnd::Updated);
    EXPECT_EQ(h.read("\\a.txt"), "a");
}

} // namespace
} // namespace launcher::testing
