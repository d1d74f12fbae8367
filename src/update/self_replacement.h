#pragma once

#include <filesystem>

namespace launcher {

// The launcher's own executable while a verified new one takes its place.
// A runnable launcher stands under the executable's name at every moment:
// the new file is complete, verified and executable under a temporary name
// before anything is renamed, the running one is kept as ".bak", and it is
// put back when the new one cannot be started.
class SelfReplacement {
public:
    // `staged`: the verified new executable beside `executable`.
    SelfReplacement(std::filesystem::path executable, std::filesystem::path staged);
    // A staged file that was never swapped in is removed.
    ~SelfReplacement();
    SelfReplacement(const SelfReplacement&) = delete;
    SelfReplacement& operator=(const SelfReplacement&) = delete;

    const std::filesystem::path& backup() const { return backup_; }

    // Makes the staged file executable, keeps the running one as ".bak" (an
    // older backup is replaced) and puts the new one under the name. Throws
    // platform::FileError; the running executable then stays where it was.
    void SwapIn();
    // The new executable could not be started: the previous one goes back
    // under the name (when there was one) and the new one is removed.
    void RollBack();

private:
    std::filesystem::path executable_;
    std::filesystem::path staged_;
    std::filesystem::path backup_;
    bool swapped_ = false;
    bool had_previous_ = false;
};

} // namespace launcher
