#include "update/workflow_harness.h"

#include "platform/files.h"

#include <algorithm>

namespace launcher::testing {

bool RecordingView::showed(std::string_view status) const {
    return std::find(statuses.begin(), statuses.end(), status) != statuses.end();
}

std::vector<int> RecordingView::positions(Indicator which) const {
    std::vector<int> result;
    for (const IndicatorValue& value : history[static_cast<std::size_t>(which)])
        result.push_back(value.Position);
    return result;
}

WorkflowHarness::WorkflowHarness(bool virtual_time)
    : loop_owner(virtual_time ? std::make_unique<platform::PlainEventLoop>(clock)
                              : std::make_unique<platform::PlainEventLoop>()),
      loop(*loop_owner) {
    // Virtual time moves on once the loop has been idle this long in real
    // time, so an answer from a real socket must come within it; under wine
    // a local answer can take longer than on Linux.
#ifdef _WIN32
    constexpr platform::Milliseconds kIdleGrace(150);
#else
    constexpr platform::Milliseconds kIdleGrace(20);
#endif
    clock.set_auto_advance(virtual_time, kIdleGrace);
    for (std::size_t i = 0; i < strings.size(); ++i)
        strings[i] = "S" + std::to_string(i) + " ";
    log.enabled = true;
    config.UpdateServers.Servers = {server.url("/")};
    setup.MainPath = game.path();
    setup.self_executable = game / "launcher.exe";
}

std::vector<TFileRecord> WorkflowHarness::publish(const Release& release) {
    std::filesystem::remove_all(tree.path());
    std::filesystem::create_directories(tree.path());
    auto records = PublishRelease(release, tree.path());
    ServeFolder(server, tree.path());
    return records;
}

UpdateWorkflow& WorkflowHarness::make_workflow() {
    const auto widths = view.widths;
    view = RecordingView{};
    view.widths = widths;
    workflow.reset();
    workflow = std::make_unique<UpdateWorkflow>(loop, view, config, settings, strings, setup);
    workflow->debug_file = &log;
    workflow->RestartLauncher = [this] {
        ++restarts;
        return restart_failure;
    };
    return *workflow;
}

UpdateWorkflow& WorkflowHarness::run() {
    UpdateWorkflow& result = make_workflow();
    result.MainTimerTimer();
    return result;
}

std::string WorkflowHarness::read(std::string_view name) const {
    return platform::read_file_text(platform::native_path(game.path(), name));
}

bool WorkflowHarness::exists(std::string_view name) const {
    return std::filesystem::exists(platform::native_path(game.path(), name));
}

void WorkflowHarness::write(std::string_view name, std::string_view content) const {
    const auto path = platform::native_path(game.path(), name);
    std::filesystem::create_directories(path.parent_path());
    platform::write_file_atomic(path, content);
}

bool WorkflowHarness::logged(std::string_view line) const {
    return std::find(log.lines().begin(), log.lines().end(), line) != log.lines().end();
}

int WorkflowHarness::requests(std::string_view method, std::string_view path) const {
    int count = 0;
    for (const LoggedRequest& request : server.requests())
        if (request.method == method && request.path == path)
            ++count;
    return count;
}

std::filesystem::path WorkflowHarness::previous_list() const {
    return game / "updater" / "OldList.lst";
}

} // namespace launcher::testing
