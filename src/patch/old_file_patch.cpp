#include "patch/old_file_patch.h"

#include "archive/temporary_name.h"
#include "patch/patched_file.h"
#include "platform/utf8_path.h"

namespace launcher::patch {

std::optional<std::filesystem::path>
PatchFromOldFile(platform::EventLoop& loop, const OldFilePatch& patch,
                 const std::function<void(const std::string&)>& log) {
    HttpClient client;
    const PatchJob job{patch.archive_url, patch.target, TemporaryNameBeside(patch.target),
                       patch.hash,        patch.size,   patch.packed_hash};
    const PatchOutcome outcome = BuildPatchedFile(loop, client, job);
    const std::string name = platform::utf8_of(patch.target.filename());
    if (!outcome.built) {
        log("Patch " + name + ": " + outcome.why + "; fetching the whole archive");
        return std::nullopt;
    }
    log("Patched " + name + ": fetched " + std::to_string(outcome.fetched_bytes) +
        " bytes and an index of " + std::to_string(outcome.index_bytes) + " for a file of " +
        std::to_string(patch.size) + " bytes (" + std::to_string(outcome.local_bytes) +
        " bytes from the old file)");
    return job.staged;
}

} // namespace launcher::patch
