#pragma once

#include "platform/event_loop.h"

#include <QObject>
#include <map>
#include <memory>
#include <thread>

class QTimer;

namespace launcher::app {

// The interface thread's event loop on Qt: hand-offs from workers are queued
// to the Qt thread that created the loop, timers are QTimers and waits run
// Qt's own event processing, so the window stays responsive and repaints
// while the update workflow holds the interface thread. Create it on the
// thread that runs the QApplication.
class QtEventLoop final : public platform::EventLoop {
public:
    QtEventLoop();
    ~QtEventLoop() override;
    QtEventLoop(const QtEventLoop&) = delete;
    QtEventLoop& operator=(const QtEventLoop&) = delete;

    void run_and_wait(Task task) override;
    void process_pending(platform::Milliseconds max_wait) override;
    TimerId start_timer(platform::Milliseconds period, Task on_tick) override;
    void stop_timer(TimerId id) override;
    platform::Clock& clock() override { return clock_; }
    bool is_interface_thread() const override;

private:
    struct Timer;

    platform::SteadyClock clock_;
    std::thread::id interface_thread_;
    // Receives the hand-offs; lives on the interface thread.
    std::unique_ptr<QObject> receiver_;
    std::map<TimerId, std::shared_ptr<Timer>> timers_;
    TimerId next_timer_id_ = 1;
};

} // namespace launcher::app
