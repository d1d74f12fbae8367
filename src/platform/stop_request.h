#pragma once

#include <functional>
#include <list>
#include <string>

namespace launcher::platform {

// Requests from outside to end the program: SIGTERM, SIGINT and SIGHUP here;
// on Windows the console's control events (Ctrl+C and Ctrl+Break count as
// SIGINT, closing the console as SIGHUP, logoff and shutdown as SIGTERM).
// A request sets the terminate flag, so every wait ends the process: with
// the request's exit status (128 + its signal number) after the stop
// clean-ups ran and a line on standard error told it.
void catch_stop_requests();

// The signal number of the request that came, 0 while none did.
int stop_request();
// Its name, "SIGTERM" for example.
std::string stop_request_name(int signal_number);
// What a stopped run prints and the status it ends with.
std::string stop_message(int signal_number);
inline int stop_exit_status(int signal_number) {
    return 128 + signal_number;
}

// Records a request as the handlers do (tests, and a program that wants to
// stop itself the same way).
void request_stop(int signal_number);

// Work to do before a stop request ends the process, such as removing a
// run's temporary files: registered while the object lives, run on the
// interface thread, the latest first.
class StopCleanup {
public:
    explicit StopCleanup(std::function<void()> cleanup);
    ~StopCleanup();
    StopCleanup(const StopCleanup&) = delete;
    StopCleanup& operator=(const StopCleanup&) = delete;

private:
    std::list<std::function<void()>>::iterator entry_;
};

// Runs the clean-ups, tells the request on standard error and ends the
// process with its status. Called by the terminate flag's check.
[[noreturn]] void end_process_for_stop(int signal_number);

} // namespace launcher::platform
