// The launcher replacing its own executable.
#include "archive/archive_fixtures.h"
#include "archive/rar4_writer.h"
#include "catalogue/file_catalogue.h"
#include "platform/files.h"
#include "platform/text.h"
#include "update/workflow_harness.h"

#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

// The publisher lists the launcher in the check section: it exists in every
// game folder, and only the check section compares existing files at start.
Release with_launcher_checked(Release release) {
    release.check_section.push_back("\\launcher.exe");
    return release;
}

class SelfReplacementTest : public ::testing::Test {
protected:
    SelfReplacementTest() {
        h.write("\\launcher.exe", "old launcher");
        std::filesystem::permissions(h.game / "launcher.exe", std::filesystem::perms(0755));
    }
    WorkflowHarness h;
};

TEST_F(SelfReplacementTest, OwnExecutableGoesFirstThenTheLauncherRestarts) {
    h.publish(with_launcher_checked(
        Release{{{"\\a.txt", "a"}, {"\\launcher.exe", "new launcher"}, {"\\z.txt", "z"}}}));
    UpdateWorkflow& workflow = h.run();

    EXPECT_EQ(h.restarts, 1);
    EXPECT_EQ(workflow.end(), WorkflowEnd::Restarted);
    EXPECT_EQ(h.read("\\launcher.exe"), "new launcher");
    EXPECT_EQ(h.read("\\launcher.exe.bak"), "old launcher");
#ifndef _WIN32 // Windows has no execute permission to give
    EXPECT_EQ(std::filesystem::status(h.game / "launcher.exe").permissions(),
              std::filesystem::perms(0755))
        << "the new executable can be started";
#endif
    EXPECT_FALSE(h.exists("\\a.txt")) << "nothing after the executable in this run";
    EXPECT_FALSE(std::filesystem::exists(h.previous_list()));
    EXPECT_FALSE(h.view.start_enabled);

    // The restarted launcher finishes the update.
    UpdateWorkflow& restarted = h.run();
    EXPECT_EQ(h.restarts, 1);
    EXPECT_EQ(restarted.end(), WorkflowEnd::Updated);
    EXPECT_EQ(h.read("\\a.txt"), "a");
    EXPECT_EQ(h.read("\\z.txt"), "z");
    EXPECT_EQ(h.requests("GET", "/launcher.exe.vdp"), 1);
}

TEST_F(SelfReplacementTest, SortedOrderWithTheExecutableSwappedToTheFront) {
    h.publish(with_launcher_checked(
        Release{{{"\\system\\a.dll", "a"}, {"\\launcher.exe", "new launcher"}, {"\\b.txt", "b"}}}));
    UpdateWorkflow& workflow = h.make_workflow();
    workflow.RestartLauncher = nullptr;
    workflow.MainTimerTimer();
    ASSERT_EQ(workflow.Required.Count(), 3);
    EXPECT_EQ(workflow.Required.GetItemByID(0)->Content.Name, "\\launcher.exe");
    EXPECT_EQ(workflow.Required.GetItemByID(1)->Content.Name, "\\b.txt");
    EXPECT_EQ(workflow.Required.GetItemByID(2)->Content.Name, "\\system\\a.dll");
}

TEST_F(SelfReplacementTest, FailedReplacementPutsTheOldExecutableBack) {
    h.publish(
        with_launcher_checked(Release{{{"\\launcher.exe", "new launcher"}, {"\\b.txt", "b"}}}));
    h.server.serve("/launcher.exe.vdp", Resource{"a damaged archive"});
    UpdateWorkflow& workflow = h.run();

    EXPECT_EQ(h.restarts, 0);
    EXPECT_EQ(h.read("\\launcher.exe"), "old launcher");
    EXPECT_FALSE(h.exists("\\launcher.exe.bak"));
#ifndef _WIN32 // Windows has no execute permission to give
    EXPECT_EQ(std::filesystem::status(h.game / "launcher.exe").permissions(),
              std::filesystem::perms(0755));
#endif
    EXPECT_TRUE(h.logged("FItem.Content.Name launcher.exe: hash error !!!"));
    EXPECT_EQ(h.read("\\b.txt"), "b") << "the workflow goes on with the next file";
    EXPECT_EQ(workflow.end(), WorkflowEnd::Updated);
    EXPECT_TRUE(h.view.start_enabled);
}

TEST_F(SelfReplacementTest, ArchiveWithoutTheExecutableAlsoRollsBack) {
    Release release = with_launcher_checked({});
    release.extra_catalogue_lines = {
        "0123456789ABCDEF0123456789ABCDEF|\\launcher.exe|12|0|00000000000000000000000000000000"};
    h.publish(release);
    const auto archive = h.tree / "other.rar";
    {
        Rar4StoreWriter writer(archive);
        const std::string content = "other";
        writer.add_bytes("other.txt",
                         {reinterpret_cast<const std::uint8_t*>(content.data()), content.size()},
                         1'600'000'000);
        writer.finish();
    }
    h.server.serve("/launcher.exe.vdp", Resource{platform::read_file_text(archive)});
    h.run();
    EXPECT_EQ(h.restarts, 0);
    EXPECT_EQ(h.read("\\launcher.exe"), "old launcher");
    EXPECT_FALSE(std::filesystem::exists(h.game / "other.txt"))
        << "only the listed file is taken from its archive";
}

TEST_F(SelfReplacementTest, MissingExecutableIsInstalledRunnable) {
    std::filesystem::remove(h.game / "launcher.exe");
    h.publish(Release{{{"\\launcher.exe", "new launcher"}}});
    h.run();
    EXPECT_EQ(h.restarts, 1);
    EXPECT_EQ(h.read("\\launcher.exe"), "new launcher");
    EXPECT_NE(std::filesystem::status(h.game / "launcher.exe").permissions() &
                  std::filesystem::perms::owner_exec,
              std::filesystem::perms::none);
}

TEST_F(SelfReplacementTest, ExecutableNameInASubfolderIsTreatedTheSame) {
    h.write("\\bin\\Launcher.EXE", "stale copy");
    Release release{{{"\\bin\\Launcher.EXE", "other copy"}}};
    release.check_section = {"\\bin\\launcher.exe"};
    h.publish(release);
    h.run();
    EXPECT_EQ(h.restarts, 1) << "only the file name is compared";
    EXPECT_EQ(h.read("\\bin\\Launcher.EXE"), "other copy");
    EXPECT_EQ(h.read("\\bin\\Launcher.EXE.bak"), "stale copy");
}

TEST_F(SelfReplacementTest, NewExecutableThatCannotStartIsSwappedBackAndTheRunGoesOn) {
    h.publish(
        with_launcher_checked(Release{{{"\\launcher.exe", "new launcher"}, {"\\b.txt", "b"}}}));
    h.restart_failure = "Exec format error";
    UpdateWorkflow& workflow = h.run();
    EXPECT_EQ(h.restarts, 1);
    EXPECT_EQ(h.read("\\launcher.exe"), "old launcher");
    EXPECT_EQ(h.read("\\b.txt"), "b");
    EXPECT_EQ(workflow.end(), WorkflowEnd::Updated);
    ASSERT_EQ(workflow.FailedFiles().size(), 1u);
    EXPECT_THAT(workflow.FailedFiles()[0].reason, ::testing::HasSubstr("Exec format error"));
    EXPECT_FALSE(std::filesystem::exists(h.game / "updater" / "SelfUpdate.lst"));
}

TEST_F(SelfReplacementTest, TheRestartedRunDoesNotReplaceItselfWithTheSameFileAgain) {
    // A catalogue hash in lower case: the installed file is right, but the
    // check section's exact comparison would fetch it at every start.
    Release release = with_launcher_checked(Release{{{"\\a.txt", "a"}}});
    release.extra_catalogue_lines = {platform::to_lower_ascii(Md5Of("new launcher")) +
                                     "|\\launcher.exe|12|0|" + "00000000000000000000000000000000"};
    h.publish(release);
    h.server.serve("/launcher.exe.vdp", Resource{[] {
                       TempDir scratch;
                       write_rar(scratch / "l.rar", {{"launcher.exe", "new launcher"}});
                       return platform::read_file_text(scratch / "l.rar");
                   }()});
    h.run();
    EXPECT_EQ(h.restarts, 1);
    EXPECT_EQ(h.read("\\launcher.exe"), "new launcher");

    UpdateWorkflow& restarted = h.run();
    EXPECT_EQ(h.restarts, 1) << "no second restart";
    EXPECT_EQ(restarted.end(), WorkflowEnd::Updated);
    ASSERT_EQ(restarted.FailedFiles().size(), 1u);
    EXPECT_THAT(restarted.FailedFiles()[0].reason, ::testing::HasSubstr("would do so again"));
    EXPECT_EQ(h.read("\\a.txt"), "a");
    EXPECT_EQ(h.read("\\launcher.exe"), "new launcher");
}

} // namespace
} // namespace launcher::testing
