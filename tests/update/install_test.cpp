// Installing and updating a game folder from the in-process update server.
#include "catalogue/date_time.h"
#include "catalogue/file_catalogue.h"
#include "platform/file.h"
#include "platform/files.h"
#include "platform/utf8_path.h"
#include "update/workflow_harness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TDateTime modified(const std::filesystem::path& path) {
    const auto status = platform::file_status(path);
    EXPECT_TRUE(status) << platform::utf8_of(path);
    return local_date_time_from_file_time(status.value_or(platform::FileStatus{}).modified);
}

Release three_files() {
    return Release{{{"\\b.txt", "bee"},
                    {"\\system\\jux.ini", "[client]\r\nport=7000\r\n"},
                    {"\\data\\maps\\north.map", std::string(70000, 'n')}}};
}

class InstallTest : public ::testing::Test {
protected:
    WorkflowHarness h;
};

TEST_F(InstallTest, EmptyFolderGetsEveryFileWithItsDate) {
    const auto records = h.publish(three_files());
    UpdateWorkflow& workflow = h.run();

    EXPECT_EQ(workflow.end(), WorkflowEnd::Updated);
    EXPECT_EQ(h.read("\\b.txt"), "bee");
    EXPECT_EQ(h.read("\\system\\jux.ini"), "[client]\r\nport=7000\r\n");
    EXPECT_EQ(h.read("\\data\\maps\\north.map"), std::string(70000, 'n'));
    EXPECT_DOUBLE_EQ(modified(h.game / "system/jux.ini"), kSummerDate);
    EXPECT_TRUE(h.view.start_enabled);
    EXPECT_TRUE(h.view.check_all_visible);
    EXPECT_TRUE(h.view.showed("S7 "));
    EXPECT_TRUE(h.view.showed("S1 updater.lst"));
    EXPECT_TRUE(h.view.showed("S4 \\system\\jux.ini"));
    EXPECT_TRUE(h.view.showed("S1 \\system\\jux.ini"));
    EXPECT_EQ(h.view.statuses.back(), "S5 ");
    EXPECT_FALSE(std::filesystem::exists(workflow.TemporaryPackedFile()));
    EXPECT_FALSE(h.exists("\\updater.lst"));

    TFileList previous(true);
    previous.LoadFromFile(h.previous_list());
    ASSERT_EQ(previous.Count(), 3);
    for (const TFileRecord& record : records)
        EXPECT_EQ(previous.GetItemByName(record.Name)->Content, record);

    for (const char* line : {"Download file: system\\jux.ini (try 1)", "Unpack:: system\\jux.ini",
                             "Set DateTime: system\\jux.ini"})
        EXPECT_TRUE(h.logged(line)) << line;
    EXPECT_EQ(h.requests("GET", "/system/jux.ini.vdp"), 1);
    EXPECT_EQ(h.requests("HEAD", "//updater.lst.vdp"), 0) << "one server is used without a probe";
}

TEST_F(InstallTest, IntactFolderNeedsNothing) {
    h.publish(three_files());
    h.run();
    UpdateWorkflow& again = h.run();
    EXPECT_EQ(again.end(), WorkflowEnd::Updated);
    EXPECT_EQ(h.view.statuses.back(), "S3 ");
    EXPECT_EQ(h.view.totals.back(), "S24 100%");
    EXPECT_EQ(h.requests("GET", "/b.txt.vdp"), 1);
    EXPECT_EQ(again.CheckAll.Count(), 3);
}

TEST_F(InstallTest, TotalIndicatorsAndPercentagesOfFourFiles) {
    h.publish(Release{{{"\\1", "a"}, {"\\2", "b"}, {"\\3", "c"}, {"\\4", "d"}}});
    h.run();
    EXPECT_THAT(h.view.totals,
                ElementsAre("S24 0%", "S24 0%", "S24 25%", "S24 50%", "S24 75%", "S24 100%"));
    EXPECT_THAT(h.view.positions(Indicator::ProgressBar_Total), ElementsAre(0, 1, 2, 3, 4, 4));
    EXPECT_THAT(h.view.positions(Indicator::Gauge_Total), ElementsAre(0, 1, 2, 3, 4, 4));
    EXPECT_EQ(h.view.history[static_cast<int>(Indicator::Gauge_Total)].back().Max, 4);
    // During downloads the one-file indicators run over their own widths.
    EXPECT_EQ(h.workflow->indicator(Indicator::ProgressBar_OneFile).Max, 527);
    EXPECT_EQ(h.workflow->indicator(Indicator::Gauge_OneFile).Max, 200);
}

// A large file still to come keeps the total low: three one-byte files of
// a hundred bytes are three percent of the way.
TEST_F(InstallTest, TotalsWeighFilesByTheirSizes) {
    h.publish(Release{{{"\\1", "a"}, {"\\2", "b"}, {"\\3", "c"}, {"\\4", std::string(97, 'd')}}});
    h.run();
    EXPECT_THAT(h.view.totals,
                ElementsAre("S24 0%", "S24 0%", "S24 1%", "S24 2%", "S24 3%", "S24 100%"));
    EXPECT_THAT(h.view.positions(Indicator::ProgressBar_Total), ElementsAre(0, 0, 0, 0, 4, 4));
}

TEST_F(InstallTest, EightFilesShowTwelvePercentAfterTheSecond) {
    Release release;
    for (int i = 0; i < 8; ++i)
        release.files.push_back({"\\f" + std::to_string(i), std::to_string(i)});
    h.publish(release);
    h.run();
    ASSERT_GE(h.view.totals.size(), 3u);
    EXPECT_EQ(h.view.totals[2], "S24 12%");
}

TEST_F(InstallTest, DownloadProgressIsScaledToEachIndicatorsWidth) {
    h.view.widths = {300, 200, 527, 200};
    h.publish(three_files());
    UpdateWorkflow& workflow = h.run(); // an update sets the one-file ranges to the widths
    workflow.UpdateDMProgress(512, 2048);
    EXPECT_EQ(workflow.indicator(Indicator::ProgressBar_OneFile).Position, 75);
    EXPECT_EQ(workflow.indicator(Indicator::Gauge_OneFile).Position, 50);
    workflow.UpdateDMProgress(1, 0);
    EXPECT_EQ(workflow.indicator(Indicator::ProgressBar_OneFile).Position, 0) << "no size yet";
}

TEST_F(InstallTest, CatalogueDateZeroKeepsTheExtractionDate) {
    h.publish(Release{{{"\\undated.txt", "u", 0.0}}});
    h.run();
    ASSERT_TRUE(h.exists("\\undated.txt"));
    // Not the catalogue's 30 December 1899, nor the archive member's 2020 time.
    EXPECT_GT(modified(h.game / "undated.txt"), 45000.0);
    EXPECT_TRUE(h.logged("Set DateTime: undated.txt"));
}

TEST_F(InstallTest, RemovalSectionDeletesFilesEvenWhenSpelledInMixedCase) {
    Release release = three_files();
    release.removal_section = std::vector<std::string>{"\\System\\Old.DLL", "\\gone.txt"};
    h.publish(release);
    h.write("\\system\\old.dll", "old");
    h.write("\\Gone.txt", "old");
    h.write("\\kept.txt", "mine");
    h.run();
    EXPECT_FALSE(h.exists("\\system\\old.dll"));
    EXPECT_FALSE(h.exists("\\Gone.txt"));
    EXPECT_TRUE(h.exists("\\kept.txt"));
    EXPECT_TRUE(h.exists("\\b.txt"));
}

TEST_F(InstallTest, ManifestThatCannotBeFetchedIsReportedAsNoServer) {
    // The only server is used without a probe, but nothing answers there. A
    // packed file left by an earlier run must not be taken for the manifest.
    h.config.UpdateServers.Servers = {"http://127.0.0.1:9/"};
    h.game.write("updater/$tmp.vdp", "left over from an earlier run");
    UpdateWorkflow& workflow = h.run();
    EXPECT_EQ(workflow.end(), WorkflowEnd::NoServer);
    EXPECT_THAT(h.view.messages, ElementsAre("S15 "));
    EXPECT_EQ(h.view.statuses.back(), "S15 ");
    EXPECT_TRUE(h.view.start_enabled);
    EXPECT_FALSE(std::filesystem::exists(h.game / "updater.lst"));
}

TEST_F(InstallTest, TemporaryFilesThatKilledRunsLeftInTheUpdaterFolderGo) {
    struct Case {
        const char* name;
        bool removed;
    };
    const Case cases[] = {
        {"$tmp.vdp", true},                                      // as earlier versions named it
        {"$tmp.sig", true},                                      // likewise
        {"$tmp.k3x9qa.vdp", true},                               // a killed run's own
        {"$tmp.k3x9qa.sig", true},    {"$tmp.notes.txt", false}, // not a name the launcher makes
        {"$tmp.toolong1.vdp", false},
    };
    h.publish(three_files());
    for (const Case& c : cases)
        h.game.write(std::string("updater/") + c.name, "left over");
    h.run();
    for (const Case& c : cases)
        EXPECT_NE(std::filesystem::exists(h.game / "updater" / c.name), c.removed) << c.name;
}

TEST_F(InstallTest, NoServerShowsStringFifteenAndEnablesTheStartButton) {
    for (const bool configured : {false, true}) {
        SCOPED_TRACE(configured);
        if (configured) {
            // Two servers that answer, neither fast enough to be chosen.
            h.config.UpdateServers.Servers = {"http://a/", "http://b/"};
            h.config.UpdateServers.UsePing = true;
        } else {
            h.config.UpdateServers.Servers.clear();
        }
        UpdateWorkflow& workflow = h.make_workflow();
        struct SlowProbe final : ServerProbe {
            std::optional<std::int64_t> Head(const std::string&,
                                             std::optional<std::int64_t>) override {
                return 1000;
            }
        };
        workflow.MakeServerProbe = [] { return std::make_unique<SlowProbe>(); };
        workflow.MainTimerTimer();
        EXPECT_EQ(workflow.end(), WorkflowEnd::NoServer);
        EXPECT_THAT(h.view.messages, ElementsAre("S15 "));
        EXPECT_EQ(h.view.statuses.back(), "S15 ");
        EXPECT_TRUE(h.view.start_enabled);
        EXPECT_FALSE(h.view.check_all_visible);
    }
}

TEST_F(InstallTest, DamagedPackedManifestIsToldAndTheInstalledGameCanStart) {
    h.publish(three_files());
    h.run();
    h.write("\\b.txt", "local");
    h.server.serve("/updater.lst.vdp", Resource{"12345 this is no bzip2 stream at all"});
    UpdateWorkflow& workflow = h.run();
    EXPECT_EQ(workflow.end(), WorkflowEnd::BadManifest);
    EXPECT_THAT(workflow.EndReason(), HasSubstr("bzip2"));
    EXPECT_THAT(h.view.messages, ElementsAre("S27 "));
    EXPECT_EQ(h.view.statuses.back(), "S27 ");
    EXPECT_TRUE(h.view.start_enabled) << "the installed game can still be played";
    EXPECT_FALSE(h.view.check_all_visible);
    EXPECT_TRUE(std::filesystem::exists(workflow.TemporaryPackedFile()))
        << "the packed file is kept when decoding fails";
    EXPECT_FALSE(h.exists("\\updater.lst"));
    EXPECT_EQ(h.read("\\b.txt"), "local");
}

TEST_F(InstallTest, PackedHashThatNeverMatchesGivesUpAfterThreePasses) {
    h.publish(three_files());
    h.server.serve("/b.txt.vdp", Resource{"not the archive the catalogue describes"});
    UpdateWorkflow& workflow = h.run();
    EXPECT_EQ(h.requests("GET", "/b.txt.vdp"), 3) << "one download per pass";
    EXPECT_TRUE(h.logged("FItem.Content.Name b.txt: hash error !!!"));
    EXPECT_TRUE(h.logged("Download file: b.txt (try 3)"));
    EXPECT_FALSE(h.exists("\\b.txt"));
    EXPECT_EQ(h.read("\\system\\jux.ini"), "[client]\r\nport=7000\r\n") << "the next file goes on";
    EXPECT_EQ(workflow.end(), WorkflowEnd::Updated);
    EXPECT_TRUE(h.view.start_enabled);
    TFileList previous(true);
    previous.LoadFromFile(h.previous_list());
    EXPECT_EQ(previous.GetItemByName("\\b.txt"), nullptr);
}

TEST_F(InstallTest, FailingDownloadsAreCalledThreeTimesThenTheFileFails) {
    h.publish(three_files());
    h.server.serve("/b.txt.vdp", Resource{"", false, HeadLength::Given, 404});
    UpdateWorkflow& workflow = h.run();
    // Another pass would repeat the same three calls: passes retry archives
    // that arrived but do not match.
    EXPECT_EQ(h.requests("HEAD", "/b.txt.vdp"), 3);
    EXPECT_TRUE(h.logged("FItem.Content.Name b.txt: hash error !!!"));
    EXPECT_EQ(workflow.end(), WorkflowEnd::Updated) << "a file the server lacks ends nothing";
    EXPECT_TRUE(h.exists("\\data\\maps\\north.map"));
    ASSERT_EQ(workflow.FailedFiles().size(), 1u);
    EXPECT_EQ(workflow.FailedFiles()[0].name, "\\b.txt");
    EXPECT_THAT(workflow.FailedFiles()[0].reason, HasSubstr("not found on the update server"));
    EXPECT_EQ(h.view.statuses.back(), "S26 1");
    EXPECT_THAT(h.view.messages, ElementsAre("S26 1"));
}

TEST_F(InstallTest, DownloadThatFailsTwiceSucceedsOnTheThirdCall) {
    h.publish(three_files());
    h.server.add_fault("/b.txt.vdp", Fault{Fault::Kind::Status, 0, 500, std::nullopt, 2});
    h.run();
    EXPECT_EQ(h.requests("GET", "/b.txt.vdp"), 3);
    EXPECT_TRUE(h.logged("Download file: b.txt (try 1)"));
    EXPECT_FALSE(h.logged("Download file: b.txt (try 2)"));
    EXPECT_EQ(h.read("\\b.txt"), "bee");
}

TEST_F(InstallTest, FileModeCopiesPackedFilesWithoutDownloading) {
    h.publish(three_files());
    h.setup.FileModeActive = true;
    h.setup.FileModeFolder = h.tree.path();
    h.run();
    EXPECT_EQ(h.read("\\data\\maps\\north.map"), std::string(70000, 'n'));
    EXPECT_EQ(h.requests("GET", "/updater.lst.vdp"), 0);
    EXPECT_EQ(h.requests("GET", "/b.txt.vdp"), 0);
    for (const std::string& line : h.log.lines())
        EXPECT_THAT(line, ::testing::Not(HasSubstr("Download file")));
}

TEST_F(InstallTest, NamesThatLeaveTheGameFolderAreRefused) {
    const TempDir outside_parent;
    const auto game_parent = h.game.path().parent_path();
    Release release = three_files();
    release.extra_catalogue_lines = {
        "D41D8CD98F00B204E9800998ECF8427E|\\..\\evil.txt|0|0|00000000000000000000000000000000",
        "D41D8CD98F00B204E9800998ECF8427E|\\c:\\evil.txt|0|0|00000000000000000000000000000000"};
    release.check_section = {"\\..\\..\\check.txt", "\\b.txt"};
    release.removal_section =
        std::vector<std::string>{"\\..\\" + h.game.path().filename().string() + "-victim.txt",
                                 "/etc/hostname", "\\\\server\\share\\x"};
    h.publish(release);
    const auto victim = game_parent / (h.game.path().filename().string() + "-victim.txt");
    platform::write_file_atomic(victim, "keep me");

    UpdateWorkflow& workflow = h.run();
    EXPECT_TRUE(std::filesystem::exists(victim));
    std::filesystem::remove(victim);
    EXPECT_FALSE(std::filesystem::exists(game_parent / "evil.txt"));
    EXPECT_EQ(h.requests("GET", "/../evil.txt.vdp") + h.requests("HEAD", "/../evil.txt.vdp") +
                  h.requests("HEAD", "/evil.txt.vdp"),
              0);
    EXPECT_TRUE(h.logged("Refused name outside the game folder: \\..\\evil.txt"));
    EXPECT_TRUE(h.logged("Refused name outside the game folder: \\..\\..\\check.txt"));
    EXPECT_TRUE(h.logged("Refused name outside the game folder: /etc/hostname"));
    EXPECT_EQ(workflow.NewFileList.Count(), 3);
    EXPECT_EQ(workflow.end(), WorkflowEnd::Updated);
    EXPECT_EQ(h.read("\\b.txt"), "bee");
}

} // namespace
} // namespace launcher::testing
