#pragma once

#include "platform/process_start.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace launcher::platform {

// A program this process started and keeps an eye on: the launcher's new
// executable while it proves that it starts.
class ChildProcess {
public:
    virtual ~ChildProcess() = default;
    // Its exit status once it has ended (128 + the signal when a signal ended
    // it), none while it runs. Does not block.
    virtual std::optional<int> exit_status() = 0;
    // Ends it at once.
    virtual void kill() = 0;
    // Passes a stop request on (the signal here; Windows ends it).
    virtual void forward_stop(int signal_number) = 0;
};

// Starts `program` with `arguments` (the first being its name) with this
// process's standard streams and environment, in `working_folder` (empty:
// this process's). Elevated asks
// Windows for the administrator's rights through the shell ("runas"; the
// standard streams are not passed then); elsewhere it is the same as AsUser.
// None when it could not be started; `error` then says why.
std::unique_ptr<ChildProcess> start_child(const std::filesystem::path& program,
                                          const std::vector<std::string>& arguments,
                                          const std::filesystem::path& working_folder,
                                          Elevation elevation, std::string& error);

} // namespace launcher::platform
