#include "app/qt_event_loop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <exception>

namespace launcher::app {

struct QtEventLoop::Timer {
    std::unique_ptr<QTimer, void (*)(QTimer*)> timer{nullptr, [](QTimer* t) { t->deleteLater(); }};
    Task on_tick;
    // A tick that waits inside itself must not be re-entered by its own timer.
    bool running = false;
};

QtEventLoop::QtEventLoop()
    : interface_thread_(std::this_thread::get_id()), receiver_(std::make_unique<QObject>()) {}

QtEventLoop::~QtEventLoop() {
    for (auto& [id, timer] : timers_)
        timer->timer->stop();
}

bool QtEventLoop::is_interface_thread() const {
    return std::this_thread::get_id() == interface_thread_;
}

void QtEventLoop::run_and_wait(Task task) {
    if (is_interface_thread()) {
        task();
        return;
    }
    std::exception_ptr error;
    // Blocks this worker until the interface thread has run the task inside
    // one of its event-processing calls.
    QMetaObject::invokeMethod(
        receiver_.get(),
        [&] {
            try {
                task();
            } catch (...) {
                error = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (error)
        std::rethrow_exception(error);
}

void QtEventLoop::process_pending(platform::Milliseconds max_wait) {
    if (max_wait.count() <= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    // The single-shot timer bounds the wait: waiting for more events returns
    // as soon as anything (a hand-off, a timer, input) has been processed.
    QTimer wake_up;
    wake_up.setSingleShot(true);
    wake_up.setTimerType(Qt::PreciseTimer);
    wake_up.start(static_cast<int>(max_wait.count()));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

QtEventLoop::TimerId QtEventLoop::start_timer(platform::Milliseconds period, Task on_tick) {
    const TimerId id = next_timer_id_++;
    auto timer = std::make_shared<Timer>();
    timer->timer.reset(new QTimer(receiver_.get()));
    timer->on_tick = std::move(on_tick);
    timer->timer->setTimerType(Qt::PreciseTimer);
    timer->timer->setInterval(static_cast<int>(period.count()));
    std::weak_ptr<Timer> weak = timer;
    QObject::connect(timer->timer.get(), &QTimer::timeout, receiver_.get(), [weak] {
        // Keeps the timer and its callable alive when the tick stops it.
        const std::shared_ptr<Timer> self = weak.lock();
        if (!self || self->running)
            return;
        self->running = true;
        struct Clear {
            Timer& timer;
            ~Clear() { timer.running = false; }
        } clear{*self};
        self->on_tick();
    });
    timer->timer->start();
    timers_.emplace(id, std::move(timer));
    return id;
}

void QtEventLoop::stop_timer(TimerId id) {
    const auto found = timers_.find(id);
    if (found == timers_.end())
        return;
    found->second->timer->stop();
    timers_.erase(found);
}

} // namespace launcher::app
