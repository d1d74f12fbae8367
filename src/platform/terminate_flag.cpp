#include "platform/terminate_flag.h"

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
    if (application_terminated())
        std::exit(0);
}

} // namespace launcher::platform
