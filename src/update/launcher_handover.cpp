#include "update/launcher_handover.h"

#include "platform/environment.h"
#include "platform/file.h"
#include "platform/stop_request.h"
#include "platform/utf8_path.h"
#include "update/start_confirmation.h"

namespace launcher {
namespace {

// How often the marker and the successor are looked at.
constexpr platform::Milliseconds kLookEvery{250};
// How long a killed successor is given to end.
constexpr platform::Milliseconds kEndWithin{5000};

std::string seconds_of(platform::Milliseconds limit) {
    return std::to_string(limit.count() / 1000) + " s";
}

} // namespace

HandOver HandOverToSuccessor(platform::EventLoop& loop, const std::filesystem::path& marker,
                             const SuccessorStart& start, platform::Milliseconds limit) {
    HandOver result;
    platform::remove_file(marker); // one left by an earlier run proves nothing
    const std::string variable(kStartMarkerVariable);
    platform::set_environment_variable(variable, platform::utf8_of(marker));
    std::string error;
    std::unique_ptr<platform::ChildProcess> successor = start(error);
    // Programs started later must not take themselves for a successor.
    platform::unset_environment_variable(variable);
    if (!successor) {
        result.failure = error.empty() ? "it could not be started" : error;
        return result;
    }
    const platform::TimePoint deadline = loop.clock().now() + limit;
    for (;;) {
        if (platform::entry_kind(marker) == platform::EntryKind::File) {
            platform::remove_file(marker);
            result.successor = std::move(successor);
            return result;
        }
        if (const auto status = successor->exit_status()) {
            result.failure = "it ended at its start with exit status " + std::to_string(*status);
            return result;
        }
        if (loop.clock().now() >= deadline) {
            successor->kill();
            // Its executable is put back only once it is no longer in use.
            const platform::TimePoint ended_by = loop.clock().now() + kEndWithin;
            while (!successor->exit_status() && loop.clock().now() < ended_by)
                loop.process_pending(platform::Milliseconds(50));
            result.failure = "it did not confirm its start within " + seconds_of(limit);
            return result;
        }
        loop.process_pending(kLookEvery);
        if (const int stop = platform::stop_request()) {
            successor->kill();
            platform::end_process_for_stop(stop);
        }
    }
}

int WaitForSuccessor(platform::EventLoop& loop, platform::ChildProcess& successor) {
    bool stop_passed_on = false;
    for (;;) {
        if (const auto status = successor.exit_status())
            return *status;
        if (const int stop = platform::stop_request(); stop != 0 && !stop_passed_on) {
            successor.forward_stop(stop);
            stop_passed_on = true;
        }
        loop.process_pending(platform::Milliseconds(50));
    }
}

} // namespace launcher
