#pragma once

#include "platform/child_process.h"
#include "platform/event_loop.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace launcher {

// Beside the launcher's other files in the updater folder: written by a new
// executable of the launcher once its start-up succeeded.
inline constexpr std::string_view kStartedMarkerName = "SelfUpdate.started";
// How long the launcher that replaced itself waits for that.
inline constexpr platform::Milliseconds kStartConfirmLimit{30000};

// Starts the successor; none, with the reason in `error`, when it could not.
using SuccessorStart = std::function<std::unique_ptr<platform::ChildProcess>(std::string& error)>;

struct HandOver {
    std::unique_ptr<platform::ChildProcess> successor; // set when it confirmed its start
    std::string failure;                               // why not, otherwise
};

// Starts the launcher's new executable as a successor (naming `marker` in
// its environment, see ConfirmStarted) and waits on `loop`, by its clock,
// until the marker appears. A successor that ends first (a missing library,
// a crash at start) or does not confirm within `limit` (it is ended then)
// has failed, and `failure` says how. The old launcher stays alive as its
// parent meanwhile, so that it can put itself back.
HandOver HandOverToSuccessor(platform::EventLoop& loop, const std::filesystem::path& marker,
                             const SuccessorStart& start,
                             platform::Milliseconds limit = kStartConfirmLimit);

// Waits until a confirmed successor ends and gives its exit status, passing
// a stop request on to it: whoever waits for the old launcher (a shell)
// gets the new one's status.
int WaitForSuccessor(platform::EventLoop& loop, platform::ChildProcess& successor);

} // namespace launcher
