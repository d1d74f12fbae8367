// What a run removes of its own when it is stopped from outside.
#include "archive/temporary_name.h"
#include "platform/file.h"
#include "update/packed_files.h"
#include "update/update_workflow.h"

namespace launcher {

void UpdateWorkflow::remove_run_temporaries() {
    for (const StagedFile& file : staged_)
        platform::remove_file(file.staged);
    platform::remove_file(TemporaryPackedFile());
    if (fetch_ahead_)
        for (const std::filesystem::path& file : fetch_ahead_->files())
            platform::remove_file(file);
    platform::remove_file(TemporarySignatureFile());
    // The file list unpacked for the required-file check.
    platform::remove_file(setup_.MainPath / kManifestName);
    // A file being extracted stands under a temporary name in one of the
    // folders this run worked in; with the folder locked, each such name is
    // this run's.
    for (const std::filesystem::path& folder : cleaned_folders_)
        for (const std::string& name : platform::folder_entries(folder))
            if (IsTemporaryName(name) &&
                platform::entry_kind(folder / name) == platform::EntryKind::File)
                platform::remove_file(folder / name);
}

} // namespace launcher
