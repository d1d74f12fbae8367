#include "publish/publish_command.h"

#include "command_line/json_events.h"
#include "platform/utf8_path.h"
#include "publish/game_folder_entry.h"
#include "version/version_line.h"

#include <ostream>

namespace launcher::publish {
namespace {

void list_names(std::ostream& out, std::string_view verb, const std::vector<std::string>& names) {
    for (const std::string& name : names)
        out << "  " << verb << " " << name << "\n";
}

void human_summary(std::ostream& out, const PublishOptions& options,
                   const PublishSummary& summary) {
    const std::string folder = platform::utf8_of(options.out_dir);
    if (options.dry_run) {
        out << "Dry run, nothing written. Publishing " << summary.files << " files to " << folder
            << " would pack " << summary.packed << ", keep " << summary.reused << " and remove "
            << summary.removed << " archives:\n";
        list_names(out, "pack", summary.packed_names);
        list_names(out, "keep", summary.kept_names);
        list_names(out, "remove", summary.removed_names);
    } else {
        out << "Published " << summary.files << " files to " << folder << ": " << summary.packed
            << " packed, " << summary.reused << " unchanged, " << summary.removed << " removed, "
            << summary.bytes_written << " bytes written\n";
        out << summary.changed << (summary.changed == 1 ? " file" : " files")
            << " changed since the previous release, " << summary.changed_bytes << " bytes ("
            << summary.changed_packed_bytes
            << " bytes packed): players fetch them at their next start\n";
        if (summary.block_indexes > 0)
            out << summary.block_indexes
                << (summary.block_indexes == 1 ? " block index" : " block indexes")
                << " written: players fetch only the changed blocks of those files\n";
    }
    out << GameFolderReport(summary.left_out, summary.copied_links);
    out << "Players on the previous release " << (options.dry_run ? "would fetch " : "fetch ")
        << summary.fetch_bytes << " bytes\n";
    if (!summary.republished.empty())
        out << "The served release does not verify (" << summary.republished << "): every file "
            << (options.dry_run ? "would be" : "was") << " packed again from the game folder\n";
    if (summary.release > 0)
        out << (options.dry_run ? "Would be signed as release " : "Signed as release ")
            << summary.release << " for channel " << summary.channel << "\n";
}

nlohmann::json json_summary(const PublishOptions& options, const PublishSummary& summary) {
    return {{"event", "summary"},
            {"result", options.dry_run ? "dry_run" : "published"},
            {"exit_status", 0},
            {"files", summary.files},
            {"packed", summary.packed_names},
            {"kept", summary.kept_names},
            {"removed", summary.removed_names},
            {"bytes_written", summary.bytes_written},
            {"fetch_bytes", summary.fetch_bytes},
            {"block_indexes", summary.block_indexes},
            {"changed", summary.changed},
            {"changed_bytes", summary.changed_bytes},
            {"left_out", summary.left_out},
            {"release", summary.release},
            {"channel", summary.channel}};
}

} // namespace

void RunPublishCommand(const PublishOptions& options, const PublishReportOptions& report,
                       std::ostream& out, std::ostream& err) {
    std::ostream& human = report.json ? err : out;
    command_line::JsonEventStream events(out);
    if (report.json)
        events.begin(VersionLine("launcher-publish"),
                     options.dry_run ? "publish --dry-run" : "publish");
    const bool redraw = report.terminal && !report.json;
    const auto progress = [&](const std::string& name, std::size_t done, std::size_t total) {
        if (report.json)
            events.write({{"event", "progress"}, {"file", name}, {"done", done}, {"files", total}});
        else if (redraw)
            human << "\r[" << done << "/" << total << "] " << name << "\x1b[K" << std::flush;
        else if (done == total || done % 500 == 0)
            human << "[" << done << "/" << total << "] " << name << "\n";
    };
    PublishSummary summary;
    try {
        summary = PublishRelease(options, progress);
    } catch (const std::exception& error) {
        if (redraw)
            human << "\n";
        if (report.json)
            events.write({{"event", "summary"},
                          {"result", "failed"},
                          {"exit_status", 1},
                          {"reason", error.what()}});
        throw;
    }
    if (redraw)
        human << "\n";
    human_summary(human, options, summary);
    if (report.json)
        events.write(json_summary(options, summary));
}

} // namespace launcher::publish
