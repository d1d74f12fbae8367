#include "platform/stop_request.h"

#include <csignal>

namespace launcher::platform {
namespace {

extern "C" void on_stop_signal(int signal_number) {
    request_stop(signal_number); // atomics only: safe in a signal handler
}

} // namespace

void catch_stop_requests() {
    struct sigaction action {};
    action.sa_handler = &on_stop_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal_number : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal_number, &action, nullptr);
}

} // namespace launcher::platform
