#include "platform/stop_request.h"

#include "platform/terminate_flag.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>

namespace launcher::platform {
namespace {

std::atomic<int> requested{0};

// The clean-ups of the process: a stop ends every run of it at once.
struct Cleanups {
    std::mutex mutex;
    std::list<std::function<void()>> entries;
};
Cleanups& cleanups() {
    static Cleanups all;
    return all;
}

} // namespace

int stop_request() {
    return requested.load();
}

void request_stop(int signal_number) {
    int none = 0;
    requested.compare_exchange_strong(none, signal_number); // the first request counts
    set_application_terminated();
}

std::string stop_request_name(int signal_number) {
    switch (signal_number) {
    case 1:
        return "SIGHUP";
    case 2:
        return "SIGINT";
    case 15:
        return "SIGTERM";
    default:
        return "signal " + std::to_string(signal_number);
    }
}

std::string stop_message(int signal_number) {
    return "Stopped by " + stop_request_name(signal_number) +
           ": the temporary files of this run were removed; each game file is its previous or "
           "its new version";
}

StopCleanup::StopCleanup(std::function<void()> cleanup) {
    std::lock_guard lock(cleanups().mutex);
    entry_ = cleanups().entries.insert(cleanups().entries.begin(), std::move(cleanup));
}

StopCleanup::~StopCleanup() {
    std::lock_guard lock(cleanups().mutex);
    cleanups().entries.erase(entry_);
}

void end_process_for_stop(int signal_number) {
    std::list<std::function<void()>> pending;
    {
        std::lock_guard lock(cleanups().mutex);
        pending = cleanups().entries;
    }
    for (const auto& cleanup : pending) {
        try {
            cleanup();
        } catch (...) {
            // the other clean-ups still run
        }
    }
    std::cout.flush();
    std::cerr << stop_message(signal_number) << std::endl;
    std::fflush(nullptr);
    // Worker threads may still be ending their transfers: nothing of the
    // process is torn down under them.
    std::_Exit(stop_exit_status(signal_number));
}

} // namespace launcher::platform
