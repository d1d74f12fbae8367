#include "patch/get_while_processing.h"

#include "download/request_watch.h"
#include "platform/terminate_flag.h"

#include <exception>
#include <system_error>
#include <thread>

namespace launcher::patch {
namespace {

constexpr platform::Milliseconds kWaitSlice{1000};

} // namespace

HttpOutcome GetWhileProcessing(platform::EventLoop& loop, HttpClient& client,
                               const std::string& url, const HttpGetRequest& request) {
    client.clear_abort();
    StallWatch watch(loop, client);
    HttpOutcome outcome;
    bool answered = false;
    std::thread worker;
    try {
        worker = std::thread([&] {
            HttpOutcome result = client.get(url, request);
            loop.run_and_wait([&] {
                outcome = std::move(result);
                answered = true;
            });
        });
    } catch (const std::system_error&) {
        outcome.error = "the system could not start a thread";
        return outcome;
    }
    while (!answered) {
        platform::end_process_if_terminated();
        loop.process_pending(kWaitSlice);
    }
    worker.join();
    platform::end_process_if_terminated();
    if (watch.Fired())
        outcome = StalledOutcome();
    return outcome;
}

void RunWhileProcessing(platform::EventLoop& loop, const std::function<void()>& work) {
    std::exception_ptr failure;
    bool done = false;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        loop.run_and_wait([&] { done = true; });
    });
    while (!done) {
        platform::end_process_if_terminated();
        loop.process_pending(kWaitSlice);
    }
    worker.join();
    platform::end_process_if_terminated();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace launcher::patch
