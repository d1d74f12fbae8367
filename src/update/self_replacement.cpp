#include "update/self_replacement.h"

#include "platform/file.h"
#include "update/update_workflow.h"

namespace launcher {

SelfReplacement::SelfReplacement(std::filesystem::path executable, std::filesystem::path staged)
    : executable_(std::move(executable)), staged_(std::move(staged)),
      backup_(BackupPathOf(executable_)) {}

SelfReplacement::~SelfReplacement() {
    if (!swapped_)
        platform::remove_file(staged_);
}

void SelfReplacement::SwapIn() {
    platform::make_executable(staged_);
    had_previous_ = platform::entry_kind(executable_) == platform::EntryKind::File;
    if (had_previous_)
        platform::swap_in_file(executable_, staged_, backup_);
    else
        platform::rename_replace(staged_, executable_);
    swapped_ = true;
}

void SelfReplacement::RollBack() {
    if (!swapped_)
        return;
    if (had_previous_)
        platform::rename_replace(backup_, executable_);
    else
        platform::remove_file(executable_);
    swapped_ = false;
    staged_.clear(); // nothing is left to remove
}

} // namespace launcher
