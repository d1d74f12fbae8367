#pragma once

#include "platform/event_loop.h"

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <windows.h>

namespace launcher::app {

// The interface thread's event loop on Win32: workers queue their hand-offs
// and wake the thread with a message to a message-only window of the loop,
// timers are window timers of that window, and every wait pumps the
// thread's message queue, so the windows stay movable and repaint while the
// update workflow holds the interface thread. Create it on the thread that
// owns the windows.
class Win32EventLoop final : public platform::EventLoop {
public:
    Win32EventLoop();
    ~Win32EventLoop() override;
    Win32EventLoop(const Win32EventLoop&) = delete;
    Win32EventLoop& operator=(const Win32EventLoop&) = delete;

    void run_and_wait(Task task) override;
    void process_pending(platform::Milliseconds max_wait) override;
    TimerId start_timer(platform::Milliseconds period, Task on_tick) override;
    void stop_timer(TimerId id) override;
    platform::Clock& clock() override { return clock_; }
    bool is_interface_thread() const override;

    // The message loop of the program: runs until Quit; returns its code.
    int Run();
    // Ends Run (also when asked from inside a nested wait).
    void Quit(int code);
    bool quitting() const { return quitting_; }

private:
    struct HandOff;
    struct Timer {
        Task on_tick;
        // A tick that waits inside itself must not be re-entered by its own timer.
        bool running = false;
    };

    static LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam);
    void run_hand_offs();
    void run_timer(UINT_PTR id);
    // Takes and dispatches every queued message; false once the quit
    // message was taken.
    bool pump();

    platform::SteadyClock clock_;
    std::thread::id interface_thread_;
    HWND window_ = nullptr;

    std::mutex mutex_;
    std::deque<std::shared_ptr<HandOff>> hand_offs_;

    std::map<TimerId, std::shared_ptr<Timer>> timers_;
    TimerId next_timer_id_ = 1;
    bool quitting_ = false;
    int exit_code_ = 0;
};

} // namespace launcher::app
