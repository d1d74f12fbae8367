#include "cli/fetch_command.h"

#include "archive/temporary_name.h"
#include "cli/cli_version.h"
#include "cli/progress_line.h"
#include "command_line/json_events.h"
#include "command_line/utf8_options.h"
#include "config/player_choices.h"
#include "download/download_multi_thread.h"
#include "platform/file.h"
#include "platform/plain_event_loop.h"
#include "platform/text.h"
#include "update/game_folder_lock.h"

#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include <CLI/CLI.hpp>

namespace launcher::cli {
namespace {

struct FetchOptions {
    std::string url;
    std::filesystem::path file;
    int threads = 6;
    bool json = false;
};

// The game folder `target` lies in: the nearest folder above it that a run
// of the launcher has locked before. None for a file elsewhere.
std::optional<std::filesystem::path> game_folder_of(const std::filesystem::path& target) {
    for (std::filesystem::path folder = target.parent_path(); !folder.empty();
         folder = folder.parent_path()) {
        if (platform::entry_kind(UpdaterFolder(folder) / kRunLockName) == platform::EntryKind::File)
            return folder;
        if (folder == folder.root_path())
            break;
    }
    return std::nullopt;
}

int run_fetch(const FetchOptions& options) {
    const std::filesystem::path target = std::filesystem::absolute(options.file);
    // Writing into a game folder that a run is updating would race with it.
    std::optional<platform::FileLock> folder_lock;
    if (const auto game_folder = game_folder_of(target)) {
        bool busy = false;
        try {
            folder_lock = LockGameFolder(*game_folder);
            busy = !folder_lock;
        } catch (const platform::FileError&) {
            // A folder no run can write: the fetch names its problem below.
        }
        if (busy) {
            std::fprintf(stderr, "fetch: %s\n",
                         platform::printable(FolderBusyMessage(*game_folder)).c_str());
            return 1;
        }
    }
    platform::PlainEventLoop loop;
    TDownloadMultiThread download(loop);
    download.SetThreads(options.threads);
    ProgressLine progress;
    command_line::JsonEventStream events(std::cout);
    std::int64_t fetched = 0;
    if (options.json)
        events.begin(CliVersionLine(), "fetch");
    download.OnProgress = [&](TDownloadMultiThread&, std::int64_t loaded, std::int64_t size) {
        progress.show(loaded, size);
        fetched = loaded;
        if (options.json)
            events.write({{"event", "progress"},
                          {"file", options.url},
                          {"loaded", loaded},
                          {"size", size},
                          {"bytes", loaded}});
    };
    const auto summary = [&](int code, const std::string& why) {
        if (!options.json)
            return code;
        nlohmann::json event{{"event", "summary"},
                             {"result", code == 0 ? "fetched" : "failed"},
                             {"exit_status", code},
                             {"bytes", fetched}};
        if (!why.empty())
            event["reason"] = why;
        events.write(event);
        return code;
    };
    // The file is written under a temporary name and renamed when complete:
    // a failed fetch leaves a file already at the name as it was.
    const std::filesystem::path temporary = TemporaryNameBeside(target);
    download.GetFile(options.url, temporary);
    progress.finish();
    if (download.HaveError) {
        platform::remove_file(temporary);
        const std::string why =
            download.LastFailure ? download.LastFailure->describe() : "the download failed";
        std::fprintf(stderr, "fetch: %s could not be downloaded completely: %s\n",
                     platform::printable(options.url).c_str(), platform::printable(why).c_str());
        return summary(1, why);
    }
    try {
        platform::rename_replace(temporary, target);
    } catch (const platform::FileError& error) {
        platform::remove_file(temporary);
        std::fprintf(stderr, "fetch: %s\n", platform::printable(error.what()).c_str());
        return summary(1, error.what());
    }
    if (const auto status = platform::file_status(target))
        fetched = static_cast<std::int64_t>(status->size);
    return summary(0, {});
}

} // namespace

void add_fetch_command(CLI::App& app) {
    auto options = std::make_shared<FetchOptions>();
    CLI::App* fetch =
        app.add_subcommand("fetch", "Download one URL into a file over parallel ranges");
    fetch->add_option("URL", options->url, "Address to download (http or https)")->required();
    command_line::add_path_option(*fetch, "FILE", options->file, "File to create or replace")
        ->required();
    fetch->add_option("--threads", options->threads, "Parallel ranges for large files (1 to 10)")
        ->capture_default_str();
    fetch->add_flag("--json", options->json,
                    "Write one JSON object per line on standard output for the progress and "
                    "the result");
    fetch->callback([options] {
        if (const int code = run_fetch(*options); code != 0)
            throw CLI::RuntimeError(code);
    });
}

} // namespace launcher::cli
