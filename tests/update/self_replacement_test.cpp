// The launcher replacing its own executable.
#include "archive/archive_fixtures.h"
#include "archive/rar4_writer.h"
#include "catalogue/file_catalogue.h"
#include "platform/child_process.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/utf8_path.h"
#include "update/launcher_handover.h"
#include "update/start_confirmation.h"
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
    // What the run before installed of itself counts as current: it is not
    // fetched again, so it cannot lead to another restart.
    EXPECT_TRUE(restarted.FailedFiles().empty());
    EXPECT_EQ(h.read("\\a.txt"), "a");
    EXPECT_EQ(h.read("\\launcher.exe"), "new launcher");
}

} // namespace
} // namespace launcher::testing

namespace launcher::testing {
namespace {

// A new executable as the old launcher sees it while it waits: it writes the
// start marker, ends, or does neither, at moments of the loop's clock.
class FakeSuccessor final : public platform::ChildProcess {
public:
    FakeSuccessor(const platform::Clock& clock, std::filesystem::path marker,
                  std::optional<platform::Milliseconds> confirms_after,
                  std::optional<platform::Milliseconds> ends_after, int exit_code, bool& killed)
        : clock_(clock), started_(clock.now()), marker_(std::move(marker)),
          confirms_after_(confirms_after), ends_after_(ends_after), exit_code_(exit_code),
          killed_(killed) {}

    std::optional<int> exit_status() override {
        const auto running_for = clock_.now() - started_;
        if (confirms_after_ && running_for >= *confirms_after_ && !std::filesystem::exists(marker_))
            platform::write_file(marker_, "started\r\n");
        if (killed_)
            return 137;
        if (ends_after_ && running_for >= *ends_after_)
            return exit_code_;
        return std::nullopt;
    }
    void kill() override { killed_ = true; }
    void forward_stop(int) override { killed_ = true; }

private:
    const platform::Clock& clock_;
    platform::TimePoint started_;
    std::filesystem::path marker_;
    std::optional<platform::Milliseconds> confirms_after_;
    std::optional<platform::Milliseconds> ends_after_;
    int exit_code_;
    bool& killed_;
};

TEST(LauncherHandOverTest, NewExecutableMustConfirmItsStartInTime) {
    using namespace std::chrono_literals;
    struct Case {
        const char* name;
        std::optional<platform::Milliseconds> confirms_after;
        std::optional<platform::Milliseconds> ends_after;
        int exit_code;
        bool handed_over;
        bool killed;
        const char* failure;
    };
    const Case cases[] = {
        {"confirms after a slow start", 12s, std::nullopt, 0, true, false, ""},
        {"a library is missing: it ends at once", std::nullopt, 0s, 127, false, false,
         "it ended at its start with exit status 127"},
        {"crashes before its window", std::nullopt, 3s, 139, false, false,
         "it ended at its start with exit status 139"},
        {"hangs without confirming", std::nullopt, std::nullopt, 0, false, true,
         "it did not confirm its start within 30 s"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const auto marker = dir / "SelfUpdate.started";
        dir.write("SelfUpdate.started", "left by an earlier run");
        platform::ManualClock clock;
        clock.set_auto_advance(true, platform::Milliseconds(1));
        platform::PlainEventLoop loop(clock);
        bool killed = false;
        std::optional<std::string> marker_named;
        const auto started = clock.now();

        HandOver handover = HandOverToSuccessor(loop, marker, [&](std::string&) {
            marker_named = platform::environment_variable(std::string(kStartMarkerVariable));
            return std::make_unique<FakeSuccessor>(clock, marker, c.confirms_after, c.ends_after,
                                                   c.exit_code, killed);
        });
        EXPECT_EQ(handover.successor != nullptr, c.handed_over);
        EXPECT_EQ(handover.failure, c.failure);
        EXPECT_EQ(killed, c.killed);
        EXPECT_EQ(marker_named, platform::utf8_of(marker)) << "the successor is told where";
        EXPECT_FALSE(platform::environment_variable(std::string(kStartMarkerVariable)))
            << "later programs are not successors";
        EXPECT_FALSE(std::filesystem::exists(marker));
        EXPECT_LE(clock.now() - started, kStartConfirmLimit + 6s) << "the wait is bounded";
    }
}

} // namespace
} // namespace launcher::testing
