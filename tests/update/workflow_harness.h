#pragma once

#include "config/config_data.h"
#include "config/debug_file.h"
#include "config/language_table.h"
#include "config/user_settings.h"
#include "platform/plain_event_loop.h"
#include "support/fault_server.h"
#include "support/temp_dir.h"
#include "update/launcher_view.h"
#include "update/published_game.h"
#include "update/update_workflow.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace launcher::testing {

// A main window that records everything the workflow shows.
class RecordingView final : public LauncherView {
public:
    void SetStatus(std::string_view text) override { statuses.emplace_back(text); }
    void SetTotalStatus(std::string_view text) override { totals.emplace_back(text); }
    void MsgShow(std::string_view text) override { messages.emplace_back(text); }
    void SetIndicator(Indicator which, const IndicatorValue& value) override {
        history[static_cast<std::size_t>(which)].push_back(value);
    }
    int IndicatorWidth(Indicator which) const override {
        return widths[static_cast<std::size_t>(which)];
    }
    void SetStartGameEnabled(bool enabled) override { start_enabled = enabled; }
    void SetCheckAllFilesVisible(bool visible) override { check_all_visible = visible; }
    void SetCheckAllFilesEnabled(bool enabled) override { check_all_enabled = enabled; }
    void ReleaseRefused(std::string_view server, std::string_view reason) override {
        refused.push_back({std::string(server), std::string(reason)});
    }

    bool showed(std::string_view status) const;
    // The positions an indicator was given, in order.
    std::vector<int> positions(Indicator which) const;

    std::vector<std::string> statuses;
    std::vector<std::string> totals;
    std::vector<std::string> messages;
    std::vector<RefusedRelease> refused;
    std::array<std::vector<IndicatorValue>, kIndicatorCount> history;
    std::array<int, kIndicatorCount> widths{527, 200, 527, 200};
    bool start_enabled = false;
    bool check_all_visible = false;
    bool check_all_enabled = true;
};

// A game folder, an update server (the in-process one) and everything a
// workflow needs. Language string N reads "SN ".
class WorkflowHarness {
public:
    // With `virtual_time` the loop runs on a clock that jumps to the next
    // timer whenever the interface thread is idle, so stall periods pass in
    // moments.
    explicit WorkflowHarness(bool virtual_time = false);

    // Publishes `release` into the server tree and serves it.
    std::vector<TFileRecord> publish(const Release& release);
    // A fresh view and workflow on the game folder, its server the served tree.
    UpdateWorkflow& make_workflow();
    // make_workflow, then the start timer's tick.
    UpdateWorkflow& run();

    std::string read(std::string_view name) const;
    bool exists(std::string_view name) const;
    void write(std::string_view name, std::string_view content) const;
    bool logged(std::string_view line) const;
    int requests(std::string_view method, std::string_view path) const;
    std::filesystem::path previous_list() const;

    TempDir game;
    TempDir tree;
    FaultServer server;
    platform::ManualClock clock;
    std::unique_ptr<platform::PlainEventLoop> loop_owner;
    platform::PlainEventLoop& loop;
    tConfigData config;
    UserSettings settings;
    LanguageTable strings;
    tDebugFile log;
    RecordingView view;
    UpdateWorkflowSetup setup;
    int restarts = 0;
    std::string restart_failure; // what a restart answers: empty when it started
    std::unique_ptr<UpdateWorkflow> workflow;
};

} // namespace launcher::testing
