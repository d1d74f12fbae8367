#include "download/task_thread.h"

#include <system_error>

namespace launcher {

TaskThread::~TaskThread() {
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !busy_; });
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

bool TaskThread::run(std::function<void()> task) {
    std::unique_lock lock(mutex_);
    if (!thread_.joinable()) {
        try {
            thread_ = std::thread([this] { loop(); });
        } catch (const std::system_error&) {
            return false;
        }
    }
    changed_.wait(lock, [this] { return !busy_; });
    task_ = std::move(task);
    busy_ = true;
    lock.unlock();
    changed_.notify_all();
    return true;
}

void TaskThread::loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return busy_ || stopping_; });
        if (!busy_)
            return; // stopping with nothing left to run
        std::function<void()> task = std::move(task_);
        lock.unlock();
        task();
        task = nullptr; // what the task held goes before the thread is free again
        lock.lock();
        busy_ = false;
        changed_.notify_all();
    }
}

} // namespace launcher
