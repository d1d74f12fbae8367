#pragma once

#include <filesystem>

namespace launcher {

// The launcher's own executable while a new one is installed over it: the
// running file is moved to its ".bak" name (a running program may be renamed
// but must not be lost), and put back when the new one does not arrive.
class SelfReplacement {
public:
    // Removes an old backup and moves `executable` to `executable` + ".bak".
    explicit SelfReplacement(std::filesystem::path executable);

    const std::filesystem::path& backup() const { return backup_; }

    // After the new executable was extracted: true when it is there. It gets
    // the permissions of the previous one, or execute permission when there
    // was none (extraction makes plain files), so it can be started.
    bool Installed() const;
    // The new executable did not install: whatever stands under its name is
    // removed and the backup moved back.
    void RollBack() const;

private:
    std::filesystem::path executable_;
    std::filesystem::path backup_;
};

} // namespace launcher
