#include "download/download_multi_thread.h"

#include "download/http_client.h"
#include "download/ordered_digest.h"
#include "download/request_watch.h"
#include "platform/terminate_flag.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

namespace launcher {
namespace {

constexpr platform::Milliseconds kWaitSlice{1000};

bool is_success_status(long status) {
    return status >= 200 && status <= 299;
}

} // namespace

TDownloadMultiThread::TDownloadMultiThread(platform::EventLoop& loop) : loop_(loop) {}

void TDownloadMultiThread::end_process_if_terminated() const {
    if (EndsProcess) {
        platform::end_process_if_terminated();
        return;
    }
    while (platform::application_terminated())
        std::this_thread::sleep_for(kWaitSlice);
}

TDownloadMultiThread::~TDownloadMultiThread() {
    if (Timer)
        loop_.stop_timer(*Timer);
    finish_digest(true);
    destroy_workers();
}

void TDownloadMultiThread::SetThreads(int threads) {
    _threads = clamp_download_threads(threads);
}

void TDownloadMultiThread::Stop() {
    for (auto& worker : list)
        worker->Stop();
    isStop = true;
}

void TDownloadMultiThread::fail(DownloadFailure failure) {
    HaveError = true;
    // Whatever the cut-short requests ended with, the limit ended them.
    if (over_time_limit_ && failure.kind != DownloadFailure::Kind::LocalFile)
        failure = DownloadFailure(DownloadFailure::Kind::TooSlow,
                                  "it took longer than " +
                                      std::to_string(time_limit_->count() / 1000) + " seconds");
    if (!LastFailure)
        LastFailure = std::move(failure);
}

void TDownloadMultiThread::GetFile(const std::string& url, const std::filesystem::path& filename,
                                   std::optional<std::int64_t> max_length) {
    isStop = false;
    over_time_limit_ = false;
    stall_periods_ = 0;
    std::optional<platform::EventLoop::TimerId> limit;
    if (time_limit_)
        limit = loop_.start_timer(*time_limit_, [this, &limit] {
            loop_.stop_timer(*limit);
            limit.reset();
            over_time_limit_ = true;
            Stop();
        });
    struct LimitTimer {
        platform::EventLoop& loop;
        std::optional<platform::EventLoop::TimerId>& timer;
        ~LimitTimer() {
            if (timer)
                loop.stop_timer(*timer);
        }
    } limit_timer{loop_, limit};
    range_ignored_ = false;
    HaveError = false;
    LastFailure.reset();
    finish_digest(true); // it reads the target, which is written again now
    fetched_md5_.reset();
    whole_file_part_ = nullptr;
    length_ = 0;
    const Probe probe = probe_then_fetch(url, filename, max_length);
    if (probe == Probe::Failed || (probe != Probe::Fetched && isStop)) {
        if (isStop)
            fail(DownloadFailure(DownloadFailure::Kind::Stopped));
        end_transfer();
        end_process_if_terminated();
        return; // the target is not touched
    }
    if (probe == Probe::SeveralRanges) {
        if (!rcfile.create(filename, length_)) {
            fail(DownloadFailure::local_file(rcfile.failure()));
            end_transfer();
            return;
        }
        run_segments(url, filename, plan_segments(length_, _threads));
    }
    if (range_ignored_ && !isStop) {
        // The server answered a range with the whole file: writing that at
        // the range's offset would corrupt the target, so fetch the file
        // once more as a single whole-file transfer.
        HaveError = false;
        LastFailure.reset();
        run_segments(url, filename, {SegmentRange{0, length_ - 1}});
    }

    if (HaveError || isStop)
        finish_digest(true);
    else if (whole_file_part_)
        fetched_md5_ = whole_file_part_->Digest();
    end_transfer();
    if (isStop) {
        std::error_code ignored;
        std::filesystem::remove(filename, ignored);
        fail(DownloadFailure(DownloadFailure::Kind::Stopped));
    }
    end_process_if_terminated();
}

// The length from a HEAD on the first worker's connection. For a file of one
// range the same worker goes on to fetch it, into the target it creates on
// its own thread; several ranges are left to `run_segments`.
TDownloadMultiThread::Probe
TDownloadMultiThread::probe_then_fetch(const std::string& url,
                                       const std::filesystem::path& filename,
                                       std::optional<std::int64_t> max_length) {
    _status = {};
    smartthreads = 1;
    destroy_workers();
    auto worker = std::make_unique<TDownloadThread>(loop_, 1, url, 0, -1, take_client());
    worker->SetMaxStalls(stall_allowance_);
    bool several_ranges = false;
    bool target_failed = false;
    bool too_long = false;
    // Runs on the worker's thread while this thread waits for its report,
    // which orders these writes before the reads below.
    worker->ProbeLengthFirst([&](std::int64_t length) -> std::unique_ptr<SegmentPart> {
        length_ = length;
        if (max_length && length > *max_length) {
            too_long = true;
            return nullptr;
        }
        if (segment_count(length, _threads) > 1) {
            several_ranges = true;
            return nullptr;
        }
        if (!rcfile.create(filename, length)) {
            target_failed = true;
            return nullptr;
        }
        auto part = std::make_unique<TargetRangePart>(rcfile, 0, length);
        part->DigestWhileWriting();
        whole_file_part_ = part.get();
        return part;
    });
    add_worker(std::move(worker));
    begin_round();
    if (!list.front()->Start()) {
        fail(DownloadFailure::local_file(std::nullopt,
                                         "the system could not start a download thread"));
        return Probe::Failed;
    }
    wait_for_segments();

    const TDownloadThread& probe = *list.front();
    stall_periods_ = probe.ProbeStalled() ? 1 : round_stalls_;
    if (too_long) {
        fail(DownloadFailure(DownloadFailure::Kind::TooLong,
                             std::to_string(length_) + " bytes, at most " +
                                 std::to_string(*max_length) + " expected"));
        return Probe::Failed;
    }
    if (probe.FetchedAfterProbe())
        return Probe::Fetched; // its report counted the range's outcome
    if (several_ranges)
        return Probe::SeveralRanges;
    if (target_failed) {
        fail(DownloadFailure::local_file(rcfile.failure()));
        return Probe::Failed;
    }
    const HttpOutcome& outcome = probe.ProbeAnswer().outcome;
    if (outcome.ok)
        fail(DownloadFailure(DownloadFailure::Kind::NoLength));
    else if (outcome.status != 0 && !is_success_status(outcome.status))
        fail(DownloadFailure::http_status(outcome.status, outcome.error));
    else
        fail(DownloadFailure(DownloadFailure::Kind::NoAnswer, outcome.error));
    return Probe::Failed;
}

// The next worker of the list, reporting to this coordinator on its own
// kept thread.
void TDownloadMultiThread::add_worker(std::unique_ptr<TDownloadThread> worker) {
    worker->OnSetPos = [this](TDownloadThread& sender) { on_set_pos(sender); };
    worker->OnComplete = [this](TDownloadThread& sender) { on_complete(sender); };
    worker->SetThread(&segment_threads_[list.size()]);
    list.push_back(std::move(worker));
}

// Before the listed workers start: progress shows, nothing has reported.
void TDownloadMultiThread::begin_round() {
    if (!Timer)
        Timer = loop_.start_timer(kProgressPeriod, [this] { progress_tick(); });
    count = 0;
    round_stalls_ = 0;
    _allok = false;
    range_ignored_ = false;
}

// Workers write into the target themselves, so they must all have ended
// before it is closed: a stopped worker may still be finishing a write.
void TDownloadMultiThread::end_transfer() {
    whole_file_part_ = nullptr;
    destroy_workers();
    rcfile.close();
    progress_tick();
    if (Timer)
        loop_.stop_timer(*Timer);
    Timer.reset();
}

void TDownloadMultiThread::run_segments(const std::string& url,
                                        const std::filesystem::path& filename,
                                        const std::vector<SegmentRange>& plan) {
    _status = {};
    smartthreads = static_cast<int>(plan.size());
    destroy_workers();
    std::vector<const TargetRangePart*> parts;
    for (std::size_t index = 0; index < plan.size(); ++index) {
        const SegmentRange range = plan[index];
        const int id = static_cast<int>(index) + 1;
        auto worker = std::make_unique<TDownloadThread>(loop_, id, url, range.first, range.last,
                                                        take_client());
        worker->SetMaxStalls(stall_allowance_);
        _status[index] = SegmentStatus{false, 0, range.length()};
        auto part = std::make_unique<TargetRangePart>(rcfile, range.first, range.length());
        if (plan.size() == 1) {
            part->DigestWhileWriting();
            whole_file_part_ = part.get();
        } else {
            whole_file_part_ = nullptr;
        }
        parts.push_back(part.get());
        worker->SetPart(std::move(part));
        worker->SetAcceptWholeBody(plan.size() == 1);
        worker->SetExpectedTotal(length_);
        add_worker(std::move(worker));
    }
    begin_round();
    isStop = false;
    int started = 0;
    for (auto& worker : list) {
        if (!worker->Start())
            break;
        ++started;
    }
    if (started < smartthreads) {
        // Only the workers that run will report; stop them and give up.
        fail(DownloadFailure::local_file(std::nullopt,
                                         "the system could not start a download thread"));
        smartthreads = started;
        for (int i = 0; i < started; ++i)
            list[static_cast<std::size_t>(i)]->Stop();
        if (started == 0)
            return;
    }
    // Several ranges are hashed in file order while they arrive, on a
    // thread of their own.
    if (parts.size() > 1 && started == smartthreads) {
        finish_digest(true);
        cancel_digest_.store(false);
        digest_ = std::make_unique<OrderedDigest>(filename, parts);
        digest_running_ = digest_thread_.run([this] {
            digest_->Run(cancel_digest_);
            loop_.run_and_wait([this] { digest_running_ = false; });
        });
        if (!digest_running_)
            digest_.reset();
    }
    wait_for_segments();
    stall_periods_ += round_stalls_;
    if (!digest_)
        return;
    if (HaveError || isStop || range_ignored_)
        finish_digest(true);
    else
        digest_->AllWritten(); // the parts may go; the hash catches up on its own
}

void TDownloadMultiThread::finish_digest(bool cancel) {
    if (!digest_)
        return;
    if (cancel)
        cancel_digest_.store(true);
    while (digest_running_) {
        end_process_if_terminated();
        loop_.process_pending(kWaitSlice);
    }
    if (!cancel_digest_.load())
        fetched_md5_ = digest_->Result();
    digest_.reset();
}

std::optional<std::string> TDownloadMultiThread::FetchedMD5() {
    finish_digest(false);
    return fetched_md5_;
}

void TDownloadMultiThread::ForgetFetchedMD5() {
    finish_digest(true);
    fetched_md5_.reset();
}

void TDownloadMultiThread::wait_for_segments() {
    for (;;) {
        end_process_if_terminated();
        if (_allok || isStop)
            return;
        loop_.process_pending(kWaitSlice);
        // The close action may have released this object during that pass.
        end_process_if_terminated();
    }
}

void TDownloadMultiThread::destroy_workers() {
    // Ending a worker runs pending hand-offs and timers, whose handlers may
    // call `Stop`; they find the list already empty.
    std::vector<std::unique_ptr<TDownloadThread>> ending = std::move(list);
    list.clear();
    for (auto& worker : ending) {
        idle_clients_.push_back(worker->ReleaseClient());
        worker.reset();
    }
}

std::unique_ptr<HttpClient> TDownloadMultiThread::take_client() {
    if (idle_clients_.empty())
        return std::make_unique<HttpClient>();
    std::unique_ptr<HttpClient> client = std::move(idle_clients_.back());
    idle_clients_.pop_back();
    return client;
}

void TDownloadMultiThread::on_set_pos(TDownloadThread& worker) {
    if (platform::application_terminated())
        return;
    SegmentStatus& status = _status[static_cast<std::size_t>(worker.thread_id - 1)];
    status.loaded = worker.pos();
    status.size = worker._end - worker._start + 1;
}

void TDownloadMultiThread::on_complete(TDownloadThread& worker) {
    if (platform::application_terminated())
        return;
    SegmentStatus& status = _status[static_cast<std::size_t>(worker.thread_id - 1)];
    status.done = true;
    status.loaded = worker.pos(); // the last progress steps may not have been handed off
    // A length probe that fetched nothing has an empty range and fails
    // nothing here: the coordinator tells why from its answer.
    status.size = worker._end - worker._start + 1;
    if (worker.RangeIgnored() && !range_ignored_) {
        // Every other range would come back whole as well; end them now.
        range_ignored_ = true;
        for (auto& other : list)
            other->Stop();
    }
    // The bytes are already in place in the target; a part longer than its
    // range counts as complete.
    const std::int64_t received = worker.Part() ? worker.Part()->size() : 0;
    round_stalls_ = std::max(round_stalls_, worker.ErrorCount());
    if (worker.ErrorCount() >= worker.MaxStalls() || received < status.size) {
        fail(segment_failure(worker, received, status.size));
    }
    if (++count == smartthreads) {
        end_process_if_terminated();
        _allok = true;
    }
}

DownloadFailure TDownloadMultiThread::segment_failure(const TDownloadThread& worker,
                                                      std::int64_t received,
                                                      std::int64_t size) const {
    using Kind = DownloadFailure::Kind;
    if (auto local = rcfile.failure())
        return DownloadFailure::local_file(std::move(local));
    if (worker.ErrorCount() >= worker.MaxStalls()) {
        const std::string times = worker.ErrorCount() == 1 ? "once"
                                  : worker.ErrorCount() == 2
                                      ? "twice"
                                      : std::to_string(worker.ErrorCount()) + " times";
        if (worker.TooSlow())
            return DownloadFailure(Kind::TooSlow, "below " +
                                                      std::to_string(kMinimumBytesPerSecond) +
                                                      " bytes a second for a minute, " + times);
        return DownloadFailure(Kind::NoAnswer, "it stopped sending for " +
                                                   std::to_string(kStallPeriod.count() / 1000) +
                                                   " seconds, " + times);
    }
    if (worker.LengthMismatch())
        return DownloadFailure(Kind::LengthMismatch);
    const HttpOutcome& outcome = worker.LastOutcome();
    if (outcome.status != 0 && !is_success_status(outcome.status))
        return DownloadFailure::http_status(outcome.status, outcome.error);
    if (outcome.status == 0)
        return DownloadFailure(Kind::NoAnswer, outcome.error);
    return DownloadFailure(Kind::Incomplete,
                           std::to_string(received) + " of " + std::to_string(size) + " bytes" +
                               (outcome.error.empty() ? "" : ": " + outcome.error));
}

void TDownloadMultiThread::progress_tick() {
    if (platform::application_terminated() || !OnProgress)
        return;
    std::int64_t loaded = 0;
    std::int64_t size = 0;
    for (const SegmentStatus& status : _status) {
        loaded += status.loaded;
        size += status.size;
    }
    if (size == 0)
        return; // the length is not known yet
    try {
        OnProgress(*this, loaded, size);
    } catch (...) {
        // A failing progress display must not end the download.
    }
}

} // namespace launcher
