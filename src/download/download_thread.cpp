#include "download/download_thread.h"

#include "platform/terminate_flag.h"

#include <system_error>

namespace launcher {

TDownloadThread::TDownloadThread(platform::EventLoop& loop, int id, std::string url,
                                 std::int64_t startpos, std::int64_t endpos,
                                 std::unique_ptr<HttpClient> client)
    : thread_id(id), _url(std::move(url)), _start(startpos), _end(endpos), loop_(loop),
      HTTP(client ? std::move(client) : std::make_unique<HttpClient>()) {}

TDownloadThread::~TDownloadThread() {
    if (HTTP)
        end_thread();
}

std::unique_ptr<HttpClient> TDownloadThread::ReleaseClient() {
    end_thread();
    return std::move(HTTP);
}

void TDownloadThread::end_thread() {
    bool finished = false;
    {
        std::lock_guard guard(finished_mutex_);
        finished = finished_;
    }
    // A finished request is not aborted: the abort would wake the client's
    // next wait for nothing.
    if (finished)
        stop_requested_.store(true);
    else
        Stop();
    destroying_.store(true);
    if (started_) {
        // The thread may be waiting for a hand-off; on the interface thread
        // those only run if we keep processing them while we wait.
        std::unique_lock lock(finished_mutex_);
        while (!finished_) {
            if (loop_.is_interface_thread()) {
                lock.unlock();
                loop_.process_pending(platform::Milliseconds(0));
                lock.lock();
            }
            finished_changed_.wait_for(lock, platform::Milliseconds(2));
        }
        lock.unlock();
        if (thread_.joinable())
            thread_.join();
    }
    if (Timer && loop_.is_interface_thread())
        loop_.stop_timer(*Timer);
    Timer.reset();
}

void TDownloadThread::SetPart(std::unique_ptr<SegmentPart> part) {
    part_ = std::move(part);
}

void TDownloadThread::ProbeLengthFirst(TDownloadLengthEvent on_length) {
    on_length_ = std::move(on_length);
}

bool TDownloadThread::Start() {
    if (started_)
        return true;
    if (on_length_) {
        probing_.store(true);
        _old.store(watched_count());
    }
    // The first attempt's watchdog starts here, on the interface thread,
    // which spares the worker a hand-off per download.
    start_watchdog();
    if (task_thread_) {
        started_ = task_thread_->run([this] { Execute(); });
    } else {
        try {
            thread_ = std::thread([this] { Execute(); });
            started_ = true;
        } catch (const std::system_error&) {
        }
    }
    if (!started_)
        stop_watchdog();
    return started_;
}

void TDownloadThread::Stop() {
    stop_requested_.store(true);
    if (HTTP)
        HTTP->abort();
}

std::string TDownloadThread::range_header() const {
    return "Range: bytes=" + std::to_string(_start) + "-" + std::to_string(_end);
}

bool TDownloadThread::reports_suppressed() const {
    return platform::application_terminated() || destroying_.load();
}

void TDownloadThread::hand_off(const TDownloadCompleteEvent& event) {
    if (!event || reports_suppressed())
        return;
    loop_.run_and_wait([this, &event] {
        // Checked again on the interface thread: the close action may have
        // released the coordinator while this hand-off was queued.
        if (!reports_suppressed())
            event(*this);
    });
}

void TDownloadThread::Execute() {
    // A worker released before its thread began ends silently. One that was
    // only stopped still reports (with an empty part), or the coordinator's
    // count of reported segments would never complete.
    if (!destroying_.load()) {
        try {
            const bool fetch = !on_length_ || run_probe();
            if (!part_)
                part_ = std::make_unique<MemoryPart>();
            error_count_.store(0);
            // The first attempt's start is on the display already: a short
            // range then costs no progress hand-off before its end.
            last_progress_hand_off_ = std::chrono::steady_clock::now();
            while (fetch && run_attempt()) {
            }
        } catch (...) {
            // An unexpected failure ends the attempts; the end is still
            // reported so that the coordinator's count completes.
        }
        watchdog_running_.store(false);
        bool finished_in_report = false;
        try {
            // The watchdog stops in the same hand-off that reports the end.
            if (!reports_suppressed())
                loop_.run_and_wait([this, &finished_in_report] {
                    if (Timer)
                        loop_.stop_timer(*Timer);
                    Timer.reset();
                    // The last progress step, when it was not handed off
                    // on its own, goes with the end.
                    if (!reports_suppressed() && OnSetPos && _pos.load() != reported_pos_)
                        OnSetPos(*this);
                    if (!reports_suppressed() && OnComplete)
                        OnComplete(*this);
                    // The end is marked here, on the interface thread, so
                    // that ending the worker does not wait for this thread
                    // to be woken once more.
                    mark_finished();
                    finished_in_report = true;
                });
        } catch (...) {
        }
        if (finished_in_report)
            return; // the worker may be gone already
    }
    mark_finished();
}

void TDownloadThread::mark_finished() {
    std::lock_guard guard(finished_mutex_);
    finished_ = true;
    finished_changed_.notify_all();
}

// The length probe; true when the whole file is to be fetched now.
bool TDownloadThread::run_probe() {
    HTTP->clear_abort();
    if (stop_requested_.load())
        return false;
    probe_answer_ = HTTP->head(_url);
    probing_.store(false);
    if (!watchdog_running_.load()) {
        probe_stalled_ = true;
        probe_answer_.outcome = StalledOutcome();
        return false;
    }
    if (stop_requested_.load() || !probe_answer_.outcome.ok || probe_answer_.content_length < 0)
        return false;
    const std::int64_t length = probe_answer_.content_length;
    std::unique_ptr<SegmentPart> part = on_length_(length);
    if (!part)
        return false;
    part_ = std::move(part);
    _end = length - 1;
    accept_whole_body_ = true;
    expected_total_ = length;
    fetched_after_probe_ = true;
    return length > 0; // an empty file is complete as it is
}

// What the watchdog compares from one period to the next: the bytes of the
// HEAD's answer while the length is probed (as negative numbers, so that the
// body's count afterwards never looks unchanged), then the body's bytes.
std::int64_t TDownloadThread::watched_count() const {
    if (probing_.load())
        return -1 - HTTP->activity();
    return _pos.load();
}

// One attempt at the whole range; true when another attempt should follow.
bool TDownloadThread::run_attempt() {
    HTTP->clear_abort();
    // A stop that came before the abort was cleared must still end the worker.
    if (stop_requested_.load())
        return false;
    if (!watchdog_running_.load()) {
        // A restart after a stall: from the first byte of the range again.
        _pos.store(0);
        _old.store(0);
        reported_pos_ = -1;
        last_progress_hand_off_ = {}; // the restart shows at once
        part_->rewind();
        start_watchdog();
    }

    HttpGetRequest request;
    request.extra_headers.push_back(range_header());
    request.on_response = [this](const HttpResponseHead& head) {
        if (head.status == 206) {
            if (expected_total_ && head.content_range_total &&
                *head.content_range_total != *expected_total_) {
                length_mismatch_.store(true);
                return false;
            }
            return !head.content_range_first || *head.content_range_first == _start;
        }
        if (accept_whole_body_ && _start == 0) {
            if (expected_total_ && head.content_length &&
                *head.content_length != *expected_total_) {
                length_mismatch_.store(true);
                return false;
            }
            return true;
        }
        range_ignored_.store(true);
        return false;
    };
    request.on_body = [this](const char* data, std::size_t size) {
        // Bytes past the range are never asked for: a server that keeps
        // sending them is cut off once the range is complete.
        const std::int64_t room = _end - _start + 1 - _pos.load();
        if (static_cast<std::int64_t>(size) > room) {
            if (room > 0 && part_->write(data, static_cast<std::size_t>(room)))
                _pos.store(_end - _start + 1);
            return false;
        }
        return part_->write(data, size);
    };
    request.on_progress = [this](std::int64_t received) {
        _pos.store(received);
        // The end of the range is shown by the report of the segment's end.
        if (received >= _end - _start + 1)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (now - last_progress_hand_off_ >= kProgressHandOffInterval) {
            last_progress_hand_off_ = now;
            reported_pos_ = received;
            hand_off(OnSetPos);
        }
    };
    const HttpOutcome outcome = HTTP->get(_url, request);
    last_outcome_ = outcome;

    if (outcome.ok || watchdog_running_.load() || stop_requested_.load())
        return false; // ended by itself, by an error other than a stall, or stopped
    return error_count_.fetch_add(1) + 1 < max_stalls_;
}

void TDownloadThread::start_watchdog() {
    watchdog_running_.store(true);
    loop_.run_and_wait([this] {
        if (Timer)
            loop_.stop_timer(*Timer);
        pace_.emplace(loop_.clock().now(), HTTP->activity());
        Timer = loop_.start_timer(kPaceTick, [this] { on_watchdog_tick(); });
    });
}

void TDownloadThread::stop_watchdog() {
    watchdog_running_.store(false);
    loop_.run_and_wait([this] {
        if (Timer)
            loop_.stop_timer(*Timer);
        Timer.reset();
    });
}

void TDownloadThread::on_watchdog_tick() {
    _old.store(watched_count());
    // Every byte of an answer counts, the HEAD's and the headers included.
    const TransferPace::Verdict verdict = pace_->observe(loop_.clock().now(), HTTP->activity());
    if (verdict == TransferPace::Verdict::Moving)
        return;
    // Nothing arrived for a whole stall period, or too little for a whole
    // slow window: abort the attempt. The stopped watchdog tells the worker
    // that the attempt stalled.
    too_slow_.store(verdict == TransferPace::Verdict::TooSlow);
    if (Timer)
        loop_.stop_timer(*Timer);
    Timer.reset();
    watchdog_running_.store(false);
    HTTP->abort();
}

} // namespace launcher
