#include "cli/update_command.h"

#include "cli/cli_version.h"
#include "cli/client_start.h"
#include "cli/json_view.h"
#include "cli/launcher_context.h"
#include "cli/own_command_line.h"
#include "cli/terminal_view.h"
#include "cli/view_pair.h"
#include "command_line/json_events.h"
#include "command_line/utf8_options.h"
#include "config/language_table.h"
#include "config/player_choices.h"
#include "launch/game_start.h"
#include "launch/proxy_probe.h"
#include "platform/child_process.h"
#include "platform/files.h"
#include "platform/plain_event_loop.h"
#include "platform/stop_request.h"
#include "platform/text.h"
#include "update/launcher_handover.h"
#include "update/update_workflow.h"
#include "update/workflow_setup.h"

#include <iostream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

namespace launcher::cli {
namespace {

struct UpdateOptions {
    std::optional<std::filesystem::path> folder;
    bool debug = false;
    std::optional<std::filesystem::path> file_mode;
    std::optional<std::string> check_mode;
    std::optional<std::string> drive;
    std::optional<int> jobs;
    bool start = false;
    bool json = false;
};

constexpr int kExitUpToDate = 0;
constexpr int kExitError = 1;
constexpr int kExitNoServer = 2;
constexpr int kExitFilesFailed = 3;
constexpr int kExitRefused = 4;

const std::map<std::string, std::string> kCheckModes{{"hard", "Hard: MD5 Hash"},
                                                     {"medium", "Medium: Size & Date"},
                                                     {"light", "Light: Previous List"}};
const std::map<std::string, std::string> kDrives{{"hdd", "HDD"}, {"ssd", "SSD"}};

// The close action's part that outlives the window: the player's choices as
// they were read (this run's overrides are not the player's own).
void save_settings(const LauncherContext& context, const UserSettings& saved) {
    try {
        SaveIniFile(UserSettingsPath(UpdaterFolder(context.launcher_folder)), saved, saved.MainLeft,
                    saved.MainTop, context.startup.ConfigData->LangName);
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
    }
}

// Tells what the run could not do, on standard error, and gives the exit
// status: 0 the folder is up to date, 1 an error ended the run, 2 no update
// server or no usable file list, 3 some files could not be updated, 4 the
// file list is not a valid signed release.
int exit_code_of(const UpdateWorkflow& workflow) {
    switch (workflow.end()) {
    case WorkflowEnd::NoServer:
        std::cerr << "No update server served the file list"
                  << (workflow.EndReason().empty()
                          ? std::string()
                          : ": " + platform::printable(workflow.EndReason()))
                  << "\n";
        return kExitNoServer;
    case WorkflowEnd::BadManifest:
        std::cerr << "The file list from the update server is not usable: "
                  << platform::printable(workflow.EndReason()) << "\n";
        return kExitNoServer;
    case WorkflowEnd::Refused:
        std::cerr << "The update was refused: " << platform::printable(workflow.EndReason())
                  << "\n";
        return kExitRefused;
    case WorkflowEnd::DiskProblem:
        std::cerr << platform::printable(workflow.EndReason()) << "\n";
        return kExitError;
    case WorkflowEnd::NotRun:
    case WorkflowEnd::Restarted:
        return kExitError;
    case WorkflowEnd::Updated:
        break;
    }
    const auto& failed = workflow.FailedFiles();
    for (const FailedFile& file : failed)
        std::cerr << "not updated: " << platform::printable(file.name) << ": "
                  << (file.disk_problem ? "disk problem: " : "") << platform::printable(file.reason)
                  << "\n";
    if (!failed.empty()) {
        std::cerr << failed.size() << (failed.size() == 1 ? " file" : " files")
                  << " could not be updated\n";
        return kExitFilesFailed;
    }
    return kExitUpToDate;
}

// How the run ended, by the names of the event stream's summary.
std::string_view result_name(const UpdateWorkflow& workflow, int code) {
    switch (workflow.end()) {
    case WorkflowEnd::NoServer:
        return "no_server";
    case WorkflowEnd::BadManifest:
        return "bad_manifest";
    case WorkflowEnd::Refused:
        return "refused";
    case WorkflowEnd::DiskProblem:
        return "disk_problem";
    case WorkflowEnd::NotRun:
    case WorkflowEnd::Restarted:
        return "error";
    case WorkflowEnd::Updated:
        break;
    }
    return code == kExitFilesFailed ? "files_failed" : "up_to_date";
}

nlohmann::json summary_event(const JsonView& view, std::string_view result, int code,
                             std::string_view reason) {
    nlohmann::json summary{{"event", "summary"},
                           {"result", result},
                           {"exit_status", code},
                           {"files_updated", view.files_updated()},
                           {"files_failed", view.files_failed()},
                           {"bytes", view.bytes_received()}};
    if (!reason.empty())
        summary["reason"] = reason;
    return summary;
}

int run_update(const UpdateOptions& options, bool full_check, std::string_view command) {
    // Taken before anything is replaced: the restart runs the same program
    // with the same arguments, and the new executable takes this name.
    const std::vector<std::string> command_line = OwnCommandLine();
    const std::filesystem::path self = platform::executable_path();

    // With --json the event stream has standard output to itself.
    std::ostream& human = options.json ? std::cerr : std::cout;
    command_line::JsonEventStream events(std::cout);
    if (options.json)
        events.begin(CliVersionLine(), command);

    std::vector<std::string> arguments;
    if (options.debug)
        arguments.emplace_back("-debug");
    LauncherContext context = OpenLauncher(options.folder, arguments);
    tConfigData& config = *context.startup.ConfigData;
    const UserSettings saved = context.settings;
    if (options.check_mode)
        context.settings.CheckMode = kCheckModes.at(*options.check_mode);
    if (options.drive)
        context.settings.DriveType = kDrives.at(*options.drive);
    if (options.jobs)
        config.Config.Jobs = *options.jobs;

    RemoveLeftBackup(context.launcher_folder, self);
    const UpdateWorkflowSetup setup = MakeWorkflowSetup(
        context.launcher_folder, self,
        options.file_mode ? std::optional(std::filesystem::absolute(*options.file_mode))
                          : std::nullopt);

    platform::PlainEventLoop loop;
    TerminalView terminal(human, std::cerr);
    JsonView json_view(events);
    ViewPair both(terminal, json_view);
    LauncherView& view = options.json ? static_cast<LauncherView&>(both) : terminal;
    ProxyProbe probe(loop);
    UpdateWorkflow workflow(loop, view, config, context.settings, LanguageStrings(), setup);
    if (context.startup.command_line.DebugMode)
        workflow.debug_file = context.startup.DebugFile.get();
    workflow.proxy_probe = &probe;
    // The new executable takes over the run with the same command line; this
    // program waits, as its parent, until it confirmed its start, and puts
    // itself back when it does not. Then it ends with the new one's status.
    std::optional<int> successor_status;
    workflow.RestartLauncher = [&]() -> std::string {
        terminal.finish_progress();
        save_settings(context, saved);
        human << "Restarting the updated launcher\n" << std::flush;
        if (options.json)
            events.write({{"event", "restart"}});
        HandOver handover = HandOverToSuccessor(
            loop, UpdaterFolder(context.launcher_folder) / kStartedMarkerName,
            [&](std::string& error) {
                return platform::start_child(setup.self_executable, command_line, {},
                                             platform::Elevation::AsUser, error);
            });
        if (!handover.successor)
            return handover.failure;
        context.folder_lock.reset(); // the successor waits for it
        successor_status = WaitForSuccessor(loop, *handover.successor);
        return {};
    };

    try {
        workflow.MainTimerTimer();
        if (full_check && workflow.end() == WorkflowEnd::Updated)
            workflow.Button_CheckAllFilesClick();
    } catch (const std::exception& error) {
        terminal.finish_progress();
        std::cerr << platform::printable(error.what()) << "\n";
        save_settings(context, saved);
        if (options.json)
            events.write(summary_event(json_view, "error", kExitError, error.what()));
        return kExitError;
    }
    if (successor_status)
        return *successor_status; // the new executable did the run and saved the settings
    terminal.finish_progress();
    // A stop that came after the last wait: the game is not started then.
    if (const int stop = platform::stop_request())
        platform::end_process_for_stop(stop);
    save_settings(context, saved);

    int code = exit_code_of(workflow);
    std::string_view result = result_name(workflow, code);
    if (options.start && terminal.start_enabled()) {
        if (const int started = StartClient(context, workflow.ProxyLine, human); started != 0) {
            code = started;
            result = "start_failed";
        }
    }
    if (options.json)
        events.write(summary_event(json_view, result, code, workflow.EndReason()));
    return code;
}

CLI::App* add_command(CLI::App& app, const char* name, const char* description,
                      const std::shared_ptr<UpdateOptions>& options) {
    CLI::App* command = app.add_subcommand(name, description);
    command_line::add_path_option(*command, "--folder", options->folder,
                                  "Game folder (default: the folder of this program)");
    command->add_flag("--debug", options->debug, "Write the debug log log.err");
    command_line::add_path_option(*command, "--file-mode", options->file_mode,
                                  "Copy packed files from this folder instead of downloading them");
    command->add_option("--check-mode", options->check_mode, "Check mode for this run")
        ->check(CLI::IsMember({"hard", "medium", "light"}));
    command->add_option("--drive", options->drive, "Drive type for this run")
        ->check(CLI::IsMember({"hdd", "ssd"}));
    command
        ->add_option("--jobs", options->jobs,
                     "Files fetched at once for this run (1: one after another)")
        ->check(CLI::Range(1, 64));
    command->add_flag("--json", options->json,
                      "Write one JSON object per line on standard output for every event "
                      "(human text goes to standard error)");
    return command;
}

} // namespace

void add_update_commands(CLI::App& app) {
    auto update_options = std::make_shared<UpdateOptions>();
    CLI::App* update =
        add_command(app, "update", "Bring the game folder up to date", update_options);
    update->add_flag("--start", update_options->start,
                     "Start the game client when the update allows it");
    update->callback([update_options] {
        if (const int code = run_update(*update_options, false, "update"); code != 0)
            throw CLI::RuntimeError(code);
    });

    auto check_options = std::make_shared<UpdateOptions>();
    CLI::App* check =
        add_command(app, "check", "Update, then verify and repair every file", check_options);
    check->callback([check_options] {
        if (const int code = run_update(*check_options, true, "check"); code != 0)
            throw CLI::RuntimeError(code);
    });
}

} // namespace launcher::cli
