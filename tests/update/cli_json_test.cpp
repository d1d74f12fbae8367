// launcher-cli --json: the event stream of a real update from nginx, parsed
// back and held against what the run did to the game folder.
#include "platform/files.h"
#include "support/nginx_server.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "update/launcher_programs.h"

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace launcher::testing {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;

// Runs a program with standard output alone into `stdout_file`; standard
// error stays in the result.
ProcessResult run_split(std::vector<std::string> arguments,
                        const std::filesystem::path& stdout_file) {
    arguments.insert(arguments.begin(), {"/bin/sh", "-c", "out=$1; shift; exec \"$@\" >\"$out\"",
                                         "sh", stdout_file.string()});
    return run_process(arguments);
}

std::vector<json> events_of(const std::string& text) {
    std::vector<json> events;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        events.push_back(json::parse(line)); // throws on anything but one object a line
        EXPECT_TRUE(events.back().is_object()) << line;
        EXPECT_TRUE(events.back().contains("event")) << line;
    }
    return events;
}

TEST(CliJsonTest, UpdateEventsTellWhatHappenedToEachFile) {
    if (!NginxServer::Available())
        GTEST_SKIP() << "nginx is not installed";
    TempDir dir;
    const std::map<std::string, std::string> game{
        {"system/jux.ini", "[client]\r\nport=7000\r\n"},
        {"data/a.dat", std::string(5000, 'a')},
        {"data/b.dat", std::string(70000, 'b')},
        {"data/broken.dat", std::string(3000, 'c')},
    };
    for (const auto& [name, content] : game)
        dir.write("game/" + name, content);
    publish(dir / "game", dir / "srv");
    // One archive is damaged on the server: its file cannot be updated.
    dir.write("srv/data/broken.dat.vdp", "not an archive");
    NginxServer nginx(dir / "srv");
    ASSERT_TRUE(nginx.running());
    const auto launcher = pack_launcher(dir, dir / "bin" / "launcher", nginx.url("/"));
    const auto installed = dir / "installed";

    const auto run =
        run_split({launcher.string(), "update", "--json", "--folder", installed.string()},
                  dir / "events.jsonl");
    const std::vector<json> events = events_of(platform::read_file_text(dir / "events.jsonl"));
    ASSERT_GE(events.size(), 2u);

    // The stream opens with its format and closes with the run's end.
    EXPECT_EQ(events.front()["event"], "begin");
    EXPECT_EQ(events.front()["format"], 1);
    EXPECT_EQ(events.front()["command"], "update");
    const json& summary = events.back();
    ASSERT_EQ(summary["event"], "summary");
    EXPECT_EQ(summary["exit_status"], run.exit_code);
    EXPECT_EQ(run.exit_code, 3);
    EXPECT_EQ(summary["result"], "files_failed");
    // Human text went to standard error only.
    EXPECT_THAT(run.errors, HasSubstr("not updated: \\data\\broken.dat"));

    std::set<std::string> updated;
    std::map<std::string, std::string> failed;
    std::map<std::string, json> last_progress;
    std::int64_t bytes = 0;
    json last_total;
    for (const json& event : events) {
        if (event["event"] == "file" && event["result"] == "updated") {
            EXPECT_TRUE(updated.insert(event["name"]).second) << event;
        }
        if (event["event"] == "file" && event["result"] == "failed")
            failed[event["name"]] = event["reason"];
        if (event["event"] == "progress") {
            EXPECT_LE(event["loaded"], event["size"]) << event;
            EXPECT_GE(event["bytes"], bytes) << "received bytes only grow";
            bytes = event["bytes"];
            last_progress[event["file"]] = event;
        }
        if (event["event"] == "total")
            last_total = event;
    }
    EXPECT_EQ(updated,
              (std::set<std::string>{"\\data\\a.dat", "\\data\\b.dat", "\\system\\jux.ini"}));
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_FALSE(failed["\\data\\broken.dat"].empty());
    EXPECT_EQ(summary["files_updated"], 3);
    EXPECT_EQ(summary["files_failed"], 1);
    EXPECT_EQ(last_total["done"], 4);
    EXPECT_EQ(last_total["files"], 4);

    // Each updated file is in place, and its transfer ended at the packed
    // file's size on the server.
    std::int64_t packed_bytes = 0;
    for (const std::string& name : updated) {
        const std::string relative = name.substr(1);
        std::string slashed = relative;
        std::replace(slashed.begin(), slashed.end(), '\\', '/');
        EXPECT_EQ(platform::read_file_text(installed / slashed), game.at(slashed)) << name;
        const auto packed = std::filesystem::file_size(dir / "srv" / (slashed + ".vdp"));
        packed_bytes += static_cast<std::int64_t>(packed);
        ASSERT_TRUE(last_progress.contains(name)) << name;
        EXPECT_EQ(last_progress[name]["loaded"], packed) << name;
        EXPECT_EQ(last_progress[name]["size"], packed) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(installed / "data" / "broken.dat"));
    EXPECT_GE(summary["bytes"].get<std::int64_t>(), packed_bytes);
    EXPECT_EQ(summary["bytes"], bytes);
}

// publish --json: a dry run first (nothing written), then the publish; both
// summaries name the same files, and the bytes a player fetches are the
// archives and the packed manifest as they lie in the served tree.
TEST(CliJsonTest, PublishSummaryMatchesTheServedTree) {
    TempDir dir;
    dir.write("game/system/jux.ini", "[client]\r\nport=7000\r\n");
    dir.write("game/data/a.dat", std::string(5000, 'a'));
    std::vector<json> summaries;
    for (const bool dry_run : {true, false}) {
        std::vector<std::string> arguments{kPublish, "publish", "--json", (dir / "game").string(),
                                           (dir / "srv").string()};
        if (dry_run)
            arguments.emplace_back("--dry-run");
        const auto run = run_split(arguments, dir / "events.jsonl");
        ASSERT_EQ(run.exit_code, 0) << run.output;
        const auto events = events_of(platform::read_file_text(dir / "events.jsonl"));
        ASSERT_GE(events.size(), 4u) << "begin, two files, summary";
        EXPECT_EQ(events.front()["event"], "begin");
        EXPECT_EQ(events[1]["event"], "progress");
        EXPECT_EQ(events.back()["event"], "summary");
        EXPECT_THAT(run.errors, HasSubstr("Players on the previous release"));
        summaries.push_back(events.back());
        if (dry_run) {
            EXPECT_EQ(events.back()["result"], "dry_run");
            EXPECT_FALSE(std::filesystem::exists(dir / "srv"));
        }
    }
    const json& foretold = summaries[0];
    const json& done = summaries[1];
    EXPECT_EQ(done["result"], "published");
    EXPECT_EQ(done["packed"], json::array({"\\data\\a.dat", "\\system\\jux.ini"}));
    EXPECT_EQ(foretold["packed"], done["packed"]);
    EXPECT_EQ(foretold["fetch_bytes"], done["fetch_bytes"]);
    const auto size = [&](const char* name) {
        return static_cast<std::int64_t>(std::filesystem::file_size(dir / "srv" / name));
    };
    EXPECT_EQ(done["fetch_bytes"],
              size("data/a.dat.vdp") + size("system/jux.ini.vdp") + size("updater.lst.vdp"));
}

} // namespace
} // namespace launcher::testing
