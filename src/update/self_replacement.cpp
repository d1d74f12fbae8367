#include "update/self_replacement.h"

#include "update/update_workflow.h"

#include <system_error>

namespace launcher {

SelfReplacement::SelfReplacement(std::filesystem::path executable)
    : executable_(std::move(executable)),
      backup_(executable_.string() + std::string(kBackupSuffix)) {
    std::error_code ignored;
    std::filesystem::remove(backup_, ignored);
    std::filesystem::rename(executable_, backup_, ignored);
}

bool SelfReplacement::Installed() const {
    std::error_code error;
    if (!std::filesystem::is_regular_file(executable_, error))
        return false;
    using std::filesystem::perms;
    const auto previous = std::filesystem::status(backup_, error);
    if (!error && std::filesystem::exists(previous))
        std::filesystem::permissions(executable_, previous.permissions(),
                                     std::filesystem::perm_options::replace, error);
    else
        std::filesystem::permissions(executable_,
                                     perms::owner_exec | perms::group_exec | perms::others_exec,
                                     std::filesystem::perm_options::add, error);
    return true;
}

void SelfReplacement::RollBack() const {
    std::error_code ignored;
    if (!std::filesystem::exists(backup_, ignored))
        return;
    std::filesystem::remove(executable_, ignored);
    std::filesystem::rename(backup_, executable_, ignored);
}

} // namespace launcher
