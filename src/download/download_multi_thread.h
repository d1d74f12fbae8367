#pragma once

#include "download/download_failure.h"
#include "download/download_thread.h"
#include "download/http_client.h"
#include "download/ordered_digest.h"
#include "download/segment_plan.h"
#include "download/target_file.h"
#include "download/task_thread.h"
#include "platform/event_loop.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace launcher {

class TDownloadMultiThread;

// Progress of the running download: bytes received so far of `size` in all.
using TDownloadMultiThreadProgressEvent =
    std::function<void(TDownloadMultiThread& Sender, std::int64_t loaded, std::int64_t size)>;

// Fetches one URL into one file over up to ten parallel byte ranges. The
// caller blocks in `GetFile` on the interface thread while the loop keeps
// running hand-offs, timers and input; the outcome is in `HaveError`.
class TDownloadMultiThread {
public:
    static constexpr platform::Milliseconds kProgressPeriod{500};

    explicit TDownloadMultiThread(platform::EventLoop& loop);
    ~TDownloadMultiThread();
    TDownloadMultiThread(const TDownloadMultiThread&) = delete;
    TDownloadMultiThread& operator=(const TDownloadMultiThread&) = delete;

    // Called every 500 ms during a download and once when it ends.
    TDownloadMultiThreadProgressEvent OnProgress;
    // True after `GetFile` when the file could not be fetched completely.
    bool HaveError = false;
    // Why, when `HaveError` is set (the first cause the download met).
    std::optional<DownloadFailure> LastFailure;
    // The MD5 of the file the last `GetFile` wrote, taken as its bytes
    // arrived; none when it could not be (an error, a file that changed).
    // A file of several ranges may still be being hashed when `GetFile`
    // returns, so that the caller can work on the file meanwhile: this
    // waits for it, processing the loop. Interface thread only.
    std::optional<std::string> FetchedMD5();
    // The file came in several ranges and `FetchedMD5` has not collected
    // its hash yet (it may still be being taken). Decided by the fetch
    // alone, never by how far the hash has got.
    bool FetchedMD5Pending() const { return digest_ != nullptr; }
    // Ends a hash still being taken, for a caller that will not need it.
    void ForgetFetchedMD5();

    // The number of segments for large files, kept within 1..10.
    void SetThreads(int threads);
    int Threads() const { return _threads; }

    // Fetches `url` into `filename` (created or replaced). Interface thread
    // only. A server that states a length above `max_length` fails the file
    // before anything is written.
    void GetFile(const std::string& url, const std::filesystem::path& filename,
                 std::optional<std::int64_t> max_length = std::nullopt);
    // How many stall periods (too slow windows included) the next `GetFile`
    // may wait through in one range before it gives up; at least one.
    void SetStallAllowance(int periods) { stall_allowance_ = periods; }
    // Ends each `GetFile` that takes longer than this, as too slow; none
    // by default.
    void SetTimeLimit(std::optional<platform::Milliseconds> limit) { time_limit_ = limit; }
    // The stall periods the last `GetFile` waited through: a HEAD that got
    // no answer, and the most of any one range's attempts.
    int StallPeriods() const { return stall_periods_; }
    // Makes the running `GetFile` end promptly; the target file is deleted.
    void Stop();
    // Closes the connections kept open for the next download.
    void DropConnections() { idle_clients_.clear(); }
    // False for an engine on a thread other than the program's interface
    // thread: a terminated application is ended there, so this engine's
    // waits stand still instead of ending the process a second time.
    bool EndsProcess = true;

private:
    struct SegmentStatus {
        bool done = false;
        std::int64_t loaded = 0; // received by the segment's current attempt
        std::int64_t size = 0;   // length of the segment's range
    };

    enum class Probe { Failed, Fetched, SeveralRanges };
    Probe probe_then_fetch(const std::string& url, const std::filesystem::path& filename,
                           std::optional<std::int64_t> max_length);
    void add_worker(std::unique_ptr<TDownloadThread> worker);
    void begin_round();
    void end_transfer();
    void finish_digest(bool cancel);
    void fail(DownloadFailure failure);
    DownloadFailure segment_failure(const TDownloadThread& worker, std::int64_t received,
                                    std::int64_t size) const;
    void run_segments(const std::string& url, const std::filesystem::path& filename,
                      const std::vector<SegmentRange>& plan);
    void wait_for_segments();
    void destroy_workers();
    std::unique_ptr<HttpClient> take_client();
    void on_set_pos(TDownloadThread& worker);
    void on_complete(TDownloadThread& worker);
    void progress_tick();
    void end_process_if_terminated() const;

    platform::EventLoop& loop_;
    std::array<SegmentStatus, kMaxDownloadThreads> _status{};
    int _threads = 4;
    std::vector<std::unique_ptr<TDownloadThread>> list;
    TargetFile rcfile;
    int count = 0;
    bool _allok = false;
    bool isStop = false;
    bool range_ignored_ = false;
    std::int64_t length_ = 0;
    TargetRangePart* whole_file_part_ = nullptr; // the part of a one-range download
    std::optional<std::string> fetched_md5_;
    std::unique_ptr<OrderedDigest> digest_; // of a download in several ranges
    std::atomic<bool> cancel_digest_{false};
    bool digest_running_ = false; // interface thread only
    std::optional<platform::EventLoop::TimerId> Timer;
    int smartthreads = 0;
    int stall_allowance_ = TDownloadThread::kMaxStalls;
    int stall_periods_ = 0;
    int round_stalls_ = 0; // the most stalls of one worker in the current round
    std::optional<platform::Milliseconds> time_limit_;
    bool over_time_limit_ = false;
    // Clients of finished workers, kept with their open connections so that
    // the next download to the same server does not connect again.
    std::vector<std::unique_ptr<HttpClient>> idle_clients_;
    // Threads kept from one download to the next: one per segment (the
    // first also probes the length), one to hash several ranges in order.
    // Declared last, so they end before what they use.
    TaskThread digest_thread_;
    std::array<TaskThread, kMaxDownloadThreads> segment_threads_;
};

} // namespace launcher
