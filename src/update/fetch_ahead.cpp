#include "update/fetch_ahead.h"

#include "download/download_multi_thread.h"
#include "platform/files.h"
#include "platform/plain_event_loop.h"
#include "platform/terminate_flag.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace launcher {
namespace {

constexpr platform::Milliseconds kWaitSlice{1000};
// How soon a slot sees that its fetch is to stop.
constexpr platform::Milliseconds kStopLook{200};
constexpr platform::Milliseconds kProgressPeriod{500};

} // namespace

struct FetchAhead::Job {
    FetchAheadResult result;
    bool close_connections = false; // instead of a fetch
    bool done = false;              // interface thread only
    std::atomic<std::int64_t> loaded{0};
    std::atomic<std::int64_t> size{0};
};

struct FetchAhead::Slot {
    std::mutex mutex;
    std::condition_variable changed;
    std::shared_ptr<Job> pending; // handed over, not yet taken by the thread
    bool quit = false;
    std::atomic<bool> stop{false};
    std::shared_ptr<Job> running; // interface thread only: the last job handed over
    std::thread thread;

    bool free() const { return !running || running->done; }
};

namespace {

void fetch(platform::EventLoop& loop, TDownloadMultiThread& engine, const std::atomic<bool>& stop,
           FetchAheadResult& result) {
    const FetchAheadRequest& request = result.request;
    const auto watch = loop.start_timer(kStopLook, [&] {
        if (stop.load())
            engine.Stop();
    });
    engine.SetStallAllowance(request.stall_allowance);
    try {
        engine.GetFile(request.url, request.file, request.max_length);
        result.have_error = engine.HaveError;
        result.failure = engine.LastFailure;
        if (!engine.HaveError)
            result.md5 = engine.FetchedMD5();
    } catch (const std::exception& error) {
        result.have_error = true;
        result.failure = DownloadFailure(DownloadFailure::Kind::NoAnswer, error.what());
    }
    result.stall_periods = engine.StallPeriods();
    loop.stop_timer(watch);
}

} // namespace

FetchAhead::FetchAhead(platform::EventLoop& loop, int slots, Progress progress)
    : loop_(loop), progress_(std::move(progress)) {
    for (int i = 0; i < std::max(slots, 1); ++i)
        slots_.push_back(std::make_unique<Slot>());
    timer_ = loop_.start_timer(kProgressPeriod, [this] { progress_tick(); });
}

FetchAhead::~FetchAhead() {
    loop_.stop_timer(*timer_);
    Stop();
    for (auto& slot : slots_) {
        // A slot reports on this loop: it must be processed until it has.
        while (!slot->free())
            loop_.process_pending(kWaitSlice);
        {
            std::lock_guard lock(slot->mutex);
            slot->quit = true;
        }
        slot->changed.notify_all();
        if (slot->thread.joinable())
            slot->thread.join();
    }
    for (const std::filesystem::path& file : files())
        platform::remove_file(file);
}

bool FetchAhead::has_free_slot() const {
    return free_slot() != nullptr;
}

FetchAhead::Slot* FetchAhead::free_slot() const {
    for (const auto& slot : slots_)
        if (slot->free())
            return slot.get();
    return nullptr;
}

void FetchAhead::hand_over(Slot& slot, std::shared_ptr<Job> job) {
    if (!slot.thread.joinable()) {
        slot.thread = std::thread([&slot, &owner = loop_] {
            platform::PlainEventLoop loop(owner.clock());
            TDownloadMultiThread engine(loop);
            engine.SetThreads(1);
            engine.EndsProcess = false;
            for (;;) {
                std::shared_ptr<Job> work;
                {
                    std::unique_lock lock(slot.mutex);
                    slot.changed.wait(lock, [&] { return slot.quit || slot.pending; });
                    if (!slot.pending)
                        return;
                    work = std::move(slot.pending);
                }
                if (work->close_connections) {
                    engine.DropConnections();
                } else {
                    engine.OnProgress = [&work](TDownloadMultiThread&, std::int64_t loaded,
                                                std::int64_t size) {
                        work->loaded.store(loaded);
                        work->size.store(size);
                    };
                    fetch(loop, engine, slot.stop, work->result);
                    work->result.loaded = work->loaded.load();
                    work->result.size = work->size.load();
                    engine.OnProgress = nullptr;
                }
                owner.run_and_wait([work] { work->done = true; });
            }
        }); // throws when the system cannot start a thread: nothing was handed over
    }
    slot.stop.store(stopped_);
    slot.running = job;
    {
        std::lock_guard lock(slot.mutex);
        slot.pending = std::move(job);
    }
    slot.changed.notify_all();
}

bool FetchAhead::start(const std::string& key, FetchAheadRequest request) {
    Slot* slot = free_slot();
    if (!slot || jobs_.contains(key))
        return false;
    auto job = std::make_shared<Job>();
    job->result.request = std::move(request);
    try {
        hand_over(*slot, job);
    } catch (const std::exception&) {
        return false; // the file is fetched when its turn comes
    }
    jobs_.emplace(key, job);
    latest_ = key;
    return true;
}

bool FetchAhead::holds(const std::string& key) const {
    return jobs_.contains(key);
}

void FetchAhead::wait_for(const Job& job, const std::function<void()>& while_waiting) {
    while (!job.done) {
        platform::end_process_if_terminated();
        loop_.process_pending(kWaitSlice);
        platform::end_process_if_terminated();
        if (while_waiting)
            while_waiting();
    }
}

FetchAheadResult FetchAhead::take(const std::string& key,
                                  const std::function<void()>& while_waiting) {
    const auto found = jobs_.find(key);
    if (found == jobs_.end())
        return {};
    const std::shared_ptr<Job> job = found->second;
    wait_for(*job, while_waiting);
    jobs_.erase(key);
    return std::move(job->result);
}

FetchAheadResult FetchAhead::fetch_now(const std::string& key, FetchAheadRequest request) {
    Slot* slot = nullptr;
    while (!(slot = free_slot())) {
        platform::end_process_if_terminated();
        loop_.process_pending(kWaitSlice);
    }
    auto job = std::make_shared<Job>();
    job->result.request = std::move(request);
    try {
        hand_over(*slot, job);
    } catch (const std::exception& error) {
        job->result.failure = DownloadFailure::local_file(
            std::nullopt,
            std::string("the system could not start a download thread: ") + error.what());
        return std::move(job->result);
    }
    latest_ = key;
    wait_for(*job, {});
    return std::move(job->result);
}

void FetchAhead::close_connections() {
    for (auto& slot : slots_) {
        if (!slot->thread.joinable())
            continue;
        while (!slot->free())
            loop_.process_pending(kWaitSlice);
        auto job = std::make_shared<Job>();
        job->close_connections = true;
        hand_over(*slot, job);
        wait_for(*job, {});
    }
}

void FetchAhead::Stop() {
    stopped_ = true;
    for (auto& slot : slots_)
        slot->stop.store(true);
}

std::vector<std::filesystem::path> FetchAhead::files() const {
    std::vector<std::filesystem::path> files;
    for (const auto& [key, job] : jobs_)
        files.push_back(job->result.request.file);
    return files;
}

void FetchAhead::progress_tick() {
    std::int64_t loaded = 0;
    std::int64_t size = 0;
    for (const auto& slot : slots_)
        if (!slot->free() && !slot->running->close_connections) {
            loaded += slot->running->loaded.load();
            size += slot->running->size.load();
        }
    if (size > 0 && progress_)
        progress_(latest_, loaded, size);
}

} // namespace launcher
