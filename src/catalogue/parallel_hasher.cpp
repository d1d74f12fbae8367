#include "catalogue/parallel_hasher.h"

#include "catalogue/md5.h"
#include "platform/file.h"
#include "platform/terminate_flag.h"
#include "platform/utf8_path.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace launcher {
namespace {

// Each pool thread reads file content through a buffer of this size: game
// files are mostly far larger than 8192 bytes, and each read is a system call.
constexpr std::size_t kReadBufferSize = 256 * 1024;

// Game names use backslashes; the file system wants slashes.
std::filesystem::path disk_path(std::string_view filename) {
    std::string path(filename);
    std::replace(path.begin(), path.end(), '\\', '/');
    return platform::path_from_utf8(path);
}

// Ends the process when the terminate flag is set, however the scope is left.
struct ExitIfTerminatedOnLeave {
    ExitIfTerminatedOnLeave() = default;
    ExitIfTerminatedOnLeave(const ExitIfTerminatedOnLeave&) = delete;
    ExitIfTerminatedOnLeave& operator=(const ExitIfTerminatedOnLeave&) = delete;
    ~ExitIfTerminatedOnLeave() { platform::end_process_if_terminated(); }
};

} // namespace

// At most `limit` threads that run the queued workers one after another. Only
// as many workers are queued as may run at once, so each runs as soon as it
// is queued; the threads are reused to keep the cost per file small.
class TMHThreads::WorkerPool {
public:
    WorkerPool(platform::EventLoop& loop, std::size_t limit) : loop_(loop), limit_(limit) {}

    ~WorkerPool() {
        for (std::thread& thread : threads_)
            if (thread.joinable())
                thread.join();
    }

    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Interface thread.
    void Submit(std::unique_ptr<TMHOneThread> worker) {
        {
            std::lock_guard guard(mutex_);
            queue_.push_back(std::move(worker));
        }
        wake_.notify_one();
        if (threads_.size() < limit_)
            threads_.emplace_back([this] { ThreadMain(); });
    }

    // Interface thread, after every submitted worker has reported: lets the
    // idle threads end.
    void Finish() {
        {
            std::lock_guard guard(mutex_);
            closed_ = true;
        }
        wake_.notify_all();
        for (std::thread& thread : threads_)
            thread.join();
        threads_.clear();
    }

    // Interface thread, when the wait was left by an error: drops the queued
    // workers, asks the running ones to stop, and keeps processing hand-offs
    // until every thread has said goodbye, so none is left blocked on the
    // interface thread.
    void Abandon() noexcept {
        {
            std::lock_guard guard(mutex_);
            closed_ = true;
            abandoned_ = true;
            queue_.clear();
            for (TMHOneThread* worker : running_)
                worker->Terminate();
            threads_left_ = threads_.size();
        }
        wake_.notify_all();
        while (threads_left_ > 0) {
            try {
                loop_.process_pending(Milliseconds(100));
            } catch (...) {
                // Already leaving by an error; later ones change nothing.
            }
        }
        for (std::thread& thread : threads_)
            thread.join();
        threads_.clear();
    }

private:
    using Milliseconds = platform::Milliseconds;

    void ThreadMain() {
        std::vector<std::uint8_t> buffer(kReadBufferSize);
        for (;;) {
            std::unique_ptr<TMHOneThread> worker;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [&] { return closed_ || !queue_.empty(); });
                if (queue_.empty()) {
                    if (abandoned_)
                        break;
                    return;
                }
                worker = std::move(queue_.front());
                queue_.pop_front();
                running_.push_back(worker.get());
            }
            worker->Run(loop_, buffer);
            std::lock_guard guard(mutex_);
            std::erase(running_, worker.get());
        }
        // The goodbye runs on the interface thread, where Abandon counts it.
        loop_.run_and_wait([this] { --threads_left_; });
    }

    platform::EventLoop& loop_;
    const std::size_t limit_;
    std::vector<std::thread> threads_; // interface thread only
    std::size_t threads_left_ = 0;     // interface thread only

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::unique_ptr<TMHOneThread>> queue_;
    std::vector<TMHOneThread*> running_;
    bool closed_ = false;
    bool abandoned_ = false;
};

TMHOneThread::TMHOneThread(std::string filename) : _filename(std::move(filename)) {}

void TMHOneThread::Execute(std::span<std::uint8_t> buffer) {
    _hash = kPlaceholderHash;
    _size = 0;
    _date = 0.0;
    const std::filesystem::path path = disk_path(_filename);
    try {
        if (ModeIsHaveHash) {
            // A missing file, a folder or a device cannot be opened for
            // hashing and ends here like any unreadable file: placeholder,
            // size 0, date 0.0. Size and time come from the opened file.
            TMD5 md5;
            const OpenedFileStatus status = md5.AddFileWithStatus(path, buffer);
            _hash = md5.DigestStr();
            _size = status.size;
            _date = local_date_time_from_file_time(status.modified);
            return;
        }
        // Only regular files count as existing.
        const auto status = platform::file_status(path);
        if (status && status->regular) {
            _size = static_cast<std::int64_t>(status->size);
            _date = local_date_time_from_file_time(status->modified);
        }
    } catch (const std::exception&) {
        _hash = kPlaceholderHash;
        _size = 0;
        _date = 0.0;
    }
}

void TMHOneThread::Run(platform::EventLoop& loop, std::span<std::uint8_t> buffer) {
    if (Terminated())
        return;
    Execute(buffer);
    if (Terminated() || !OnComplete)
        return;
    loop.run_and_wait([this] { OnComplete(*this); });
}

TMHThreads::TMHThreads(platform::EventLoop& loop)
    : loop_(loop), _filelist(std::make_unique<TFileList>(true)) {}

TMHThreads::~TMHThreads() = default;

void TMHThreads::StartWorker() {
    ++_pos;
    if (_pos >= _filelist->Count())
        return;
    auto worker =
        std::make_unique<TMHOneThread>(_path + _filelist->GetItemByID(_pos)->Content.Name);
    worker->ModeIsHaveHash = ModeIsHaveHash;
    worker->OnComplete = [this](TMHOneThread& done) { WorkerComplete(done); };
    pool_->Submit(std::move(worker));
    ++cnt;
}

void TMHThreads::WorkerComplete(TMHOneThread& worker) {
    const ExitIfTerminatedOnLeave exit_if_terminated;
    --cnt;
    if (abandoned_)
        return;
    const std::string name = worker.filename().substr(_path.size());
    _newlist->AddItemSimple(name, worker.hash(), kPlaceholderHash, worker.size(), worker.date());
    if (OnThreadFileProceed && !handler_error_) {
        try {
            OnThreadFileProceed(*this, name, worker.hash(), worker.size(), worker.date());
        } catch (...) {
            handler_error_ = std::current_exception();
        }
    }
    if (!handler_error_)
        StartWorker();
    if (cnt == 0)
        isComplete_ = true;
}

std::unique_ptr<TFileList> TMHThreads::CalculateHash(std::string_view path,
                                                     const TFileList& filelist, int threads) {
    if (!loop_.is_interface_thread())
        throw std::logic_error("CalculateHash must run on the interface thread");
    const int n = std::min(threads, filelist.Count());
    _newlist = std::make_unique<TFileList>(true);
    // Names of one key are copied once: each file is hashed once.
    _filelist->CopyFrom(filelist);
    _path = path;
    isComplete_ = false;
    abandoned_ = false;
    handler_error_ = nullptr;
    cnt = 0;
    _pos = -1;
    if (n <= 0)
        return std::move(_newlist);

    pool_ = std::make_unique<WorkerPool>(loop_, static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        StartWorker();
    try {
        while (!isComplete_) {
            platform::end_process_if_terminated();
            loop_.process_pending(platform::Milliseconds(100));
        }
    } catch (...) {
        abandoned_ = true;
        pool_->Abandon();
        pool_.reset();
        throw;
    }
    pool_->Finish();
    pool_.reset();
    platform::end_process_if_terminated();
    if (handler_error_)
        std::rethrow_exception(std::exchange(handler_error_, nullptr));
    return std::move(_newlist);
}

} // namespace launcher
