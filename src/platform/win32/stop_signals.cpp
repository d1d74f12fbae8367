#include "platform/stop_request.h"

#include <windows.h>

namespace launcher::platform {
namespace {

constexpr int kInterrupt = 2;  // as SIGINT
constexpr int kHangUp = 1;     // as SIGHUP
constexpr int kTerminate = 15; // as SIGTERM

BOOL WINAPI on_console_event(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        request_stop(kInterrupt);
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        request_stop(event == CTRL_CLOSE_EVENT ? kHangUp : kTerminate);
        // The system ends the process once this handler returns: the
        // interface thread gets the time to clean up and end it itself.
        ::Sleep(10000);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void catch_stop_requests() {
    ::SetConsoleCtrlHandler(&on_console_event, TRUE);
}

} // namespace launcher::platform
