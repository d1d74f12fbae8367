#pragma once

#include "download/http_client.h"
#include "download/request_watch.h"
#include "download/segment_part.h"
#include "download/task_thread.h"
#include "download/transfer_pace.h"
#include "platform/event_loop.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace launcher {

class TDownloadThread;

// A hand-off to the interface thread; the argument is the reporting worker.
using TDownloadCompleteEvent = std::function<void(TDownloadThread& Sender)>;

// Given on the worker's thread the length a HEAD answer stated (above 0):
// the part to fetch the whole file into at once, or none to end with the
// length (the file is fetched in several ranges, or the target could not
// be made).
using TDownloadLengthEvent = std::function<std::unique_ptr<SegmentPart>(std::int64_t length)>;

// Fetches one byte range of one URL on a thread of its own. Every progress
// step and the end are handed to the interface thread synchronously, and a
// watchdog on the interface thread aborts and restarts an attempt that
// receives nothing for a whole stall period, or too little for a whole slow
// window (at most three attempts).
class TDownloadThread {
public:
    static constexpr platform::Milliseconds kWatchdogPeriod = kStallPeriod;
    static constexpr int kMaxStalls = 3;
    // Progress steps closer together than this are not handed off one by
    // one: on a fast link every hand-off costs two thread switches, and the
    // display only samples the position twice a second. The watchdog reads
    // the position directly, so it sees every byte either way.
    static constexpr std::chrono::milliseconds kProgressHandOffInterval{50};

    // The worker is created not yet started; set the events (and the part)
    // before `Start`. It makes its own HTTP client unless given one whose
    // open connections it may reuse.
    TDownloadThread(platform::EventLoop& loop, int id, std::string url, std::int64_t startpos,
                    std::int64_t endpos, std::unique_ptr<HttpClient> client = nullptr);
    // Stops the request, waits for the thread (still running hand-offs when
    // called on the interface thread) and releases the watchdog.
    ~TDownloadThread();
    TDownloadThread(const TDownloadThread&) = delete;
    TDownloadThread& operator=(const TDownloadThread&) = delete;

    TDownloadCompleteEvent OnSetPos;
    TDownloadCompleteEvent OnComplete;

    // Where the bytes go; a memory part when none is given.
    void SetPart(std::unique_ptr<SegmentPart> part);
    // A 2xx answer other than 206 carries the whole resource instead of the
    // range; it is taken only when this worker's range is the whole file.
    void SetAcceptWholeBody(bool accept) { accept_whole_body_ = accept; }
    // The length of the whole file as the coordinator learnt it: an answer
    // that states another total (or length) is refused.
    void SetExpectedTotal(std::int64_t total) { expected_total_ = total; }
    // Fewer attempts than `kMaxStalls` (at least one): a server that already
    // stalled in this run is not waited for again and again.
    void SetMaxStalls(int stalls) { max_stalls_ = stalls < 1 ? 1 : stalls; }

    // Runs the worker on `thread` rather than on a thread of its own, so a
    // coordinator can reuse its threads from one download to the next.
    void SetThread(TaskThread* thread) { task_thread_ = thread; }

    // Asks for the file's length with a HEAD on the worker's connection
    // before anything else, under the same watchdog, and when `on_length`
    // gives a part, fetches the whole file into it right away: a file of one
    // range then costs the interface thread a single hand-off. The range
    // given at construction is replaced by the whole file.
    void ProbeLengthFirst(TDownloadLengthEvent on_length);
    // After the report: the HEAD's answer, whether the watchdog abandoned it,
    // and whether the whole file was then fetched.
    const HttpHeadResult& ProbeAnswer() const { return probe_answer_; }
    bool ProbeStalled() const { return probe_stalled_; }
    bool FetchedAfterProbe() const { return fetched_after_probe_; }

    // Starts the watchdog and the thread; false when the system cannot make
    // the thread (the worker then never reports).
    bool Start();
    // Cuts the running request short and makes no further attempt; any thread.
    void Stop();
    // Ends the worker as its destruction would and hands its HTTP client
    // back, so that the next download can reuse the client's connections.
    std::unique_ptr<HttpClient> ReleaseClient();

    const int thread_id;
    const std::string _url;
    const std::int64_t _start;
    // Set once by the worker after a length probe, before it reports.
    std::int64_t _end;

    // Bytes of the body received by the current attempt.
    std::int64_t pos() const { return _pos.load(); }
    // Stalled attempts so far (too slow ones included): `MaxStalls` means
    // the segment gave up.
    int ErrorCount() const { return error_count_.load(); }
    int MaxStalls() const { return max_stalls_; }
    // The last abandoned attempt was receiving, but below the speed floor.
    bool TooSlow() const { return too_slow_.load(); }
    // The server answered the range with the whole resource, which was refused.
    bool RangeIgnored() const { return range_ignored_.load(); }
    // An answer stated a file length other than the expected total.
    bool LengthMismatch() const { return length_mismatch_.load(); }
    // How the last request ended; read it only once the worker has reported.
    const HttpOutcome& LastOutcome() const { return last_outcome_; }
    // The part buffer; read it only once the worker has reported its end.
    const SegmentPart* Part() const { return part_.get(); }

    std::string range_header() const;

private:
    void Execute();
    void end_thread();
    void mark_finished();
    bool run_attempt();
    bool run_probe();
    std::int64_t watched_count() const;
    void start_watchdog();
    void stop_watchdog();
    void on_watchdog_tick();
    void hand_off(const TDownloadCompleteEvent& event);
    bool reports_suppressed() const;

    platform::EventLoop& loop_;
    std::unique_ptr<HttpClient> HTTP;
    std::unique_ptr<SegmentPart> part_;
    bool accept_whole_body_ = false;
    std::optional<std::int64_t> expected_total_;
    HttpOutcome last_outcome_;
    TDownloadLengthEvent on_length_;
    HttpHeadResult probe_answer_;
    bool probe_stalled_ = false;
    bool fetched_after_probe_ = false;
    std::atomic<bool> probing_{false}; // the watchdog follows the HEAD's bytes meanwhile

    std::chrono::steady_clock::time_point last_progress_hand_off_{}; // worker thread only
    std::int64_t reported_pos_ = -1; // the position the last OnSetPos showed
    std::atomic<std::int64_t> _pos{0};
    std::atomic<std::int64_t> _old{0};
    std::atomic<int> error_count_{0};
    int max_stalls_ = kMaxStalls;
    std::atomic<bool> too_slow_{false};
    std::optional<TransferPace> pace_; // interface thread only
    std::atomic<bool> range_ignored_{false};
    std::atomic<bool> length_mismatch_{false};
    std::atomic<bool> watchdog_running_{false};        // cleared by the watchdog: the stall signal
    std::optional<platform::EventLoop::TimerId> Timer; // interface thread only

    std::atomic<bool> stop_requested_{false};
    std::atomic<bool> destroying_{false};
    std::mutex finished_mutex_;
    std::condition_variable finished_changed_;
    bool finished_ = false;
    std::thread thread_;
    TaskThread* task_thread_ = nullptr;
    bool started_ = false;
};

} // namespace launcher
