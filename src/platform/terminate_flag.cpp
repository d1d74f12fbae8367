#include "platform/terminate_flag.h"

#include "platform/stop_request.h"

#include <atomic>
#include <cstdlib>

namespace launcher::platform {
namespace {
std::atomic<bool> terminated{false};
}

bool application_terminated() {
    return terminated.load();
}
void set_application_terminated() {
    terminated.store(true);
}

void end_process_if_terminated() {
    if (!application_terminated())
        return;
    if (const int stop = stop_request())
        end_process_for_stop(stop);
    std::exit(0);
}

} // namespace launcher::platform
