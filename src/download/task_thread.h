#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace launcher {

// One thread that runs tasks one after another and waits between them, so a
// download does not create (and tear down) a thread for each request: on
// many small files that costs more than the requests themselves.
class TaskThread {
public:
    TaskThread() = default;
    // Waits for the running task, then ends the thread.
    ~TaskThread();
    TaskThread(const TaskThread&) = delete;
    TaskThread& operator=(const TaskThread&) = delete;

    // Runs `task` on this thread; waits first while an earlier task is
    // still running. False when the system could not start the thread (the
    // task then never runs).
    bool run(std::function<void()> task);

private:
    void loop();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> task_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace launcher
