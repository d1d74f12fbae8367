#pragma once

#include "download/download_failure.h"
#include "platform/event_loop.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace launcher {

// Several packed files in flight at once, and never more connections to
// the update server than the cap, however many are asked for.
inline constexpr int kDefaultFetchJobs = 8;
inline constexpr int kMaxFetchJobs = 64;
inline constexpr int kServerConnectionCap = 8;

struct FetchAheadRequest {
    std::string url;
    std::filesystem::path file; // created or replaced
    std::optional<std::int64_t> max_length;
    int stall_allowance = 1;
};

// What one fetch gave, as the download engine left it.
struct FetchAheadResult {
    FetchAheadRequest request;
    bool have_error = true;
    std::optional<DownloadFailure> failure;
    int stall_periods = 0;
    std::optional<std::string> md5; // taken while the bytes arrived
    // The engine's last progress report: bytes received of the length.
    std::int64_t loaded = 0;
    std::int64_t size = 0;
};

// Fetches files on threads of their own while the interface thread installs
// the files before them. Each slot is a thread with its own event loop and
// download engine (one connection, kept open from one file to the next), so
// at most `slots` connections are open. Every stall and failure rule of the
// engine holds per fetch; what to do about a failure is the caller's.
class FetchAhead {
public:
    // Called every progress period with the file started most recently and
    // the bytes of all files in flight.
    using Progress =
        std::function<void(const std::string& latest, std::int64_t loaded, std::int64_t size)>;

    FetchAhead(platform::EventLoop& loop, int slots, Progress progress);
    // Stops every fetch, waits for them and removes the files not taken.
    ~FetchAhead();
    FetchAhead(const FetchAhead&) = delete;
    FetchAhead& operator=(const FetchAhead&) = delete;

    bool has_free_slot() const;
    // Starts fetching `request` for `key` on a free slot; false when none
    // is free or no thread could be started.
    bool start(const std::string& key, FetchAheadRequest request);
    bool holds(const std::string& key) const;
    // Waits for the fetch of `key`, processing the loop and calling
    // `while_waiting` after each pass; its file is the caller's from now on.
    FetchAheadResult take(const std::string& key, const std::function<void()>& while_waiting);
    // Fetches `request` on the first slot that is free, and waits for it.
    FetchAheadResult fetch_now(const std::string& key, FetchAheadRequest request);
    // Closes the kept connections of every slot (none is fetching then), so
    // that another engine may use the server's share.
    void close_connections();
    // Ends every fetch promptly.
    void Stop();
    // The files of fetches not taken yet.
    std::vector<std::filesystem::path> files() const;

private:
    struct Job;
    struct Slot;

    Slot* free_slot() const;
    void hand_over(Slot& slot, std::shared_ptr<Job> job);
    void wait_for(const Job& job, const std::function<void()>& while_waiting);
    void progress_tick();

    platform::EventLoop& loop_;
    Progress progress_;
    std::vector<std::unique_ptr<Slot>> slots_;
    std::map<std::string, std::shared_ptr<Job>> jobs_; // started, not taken
    std::string latest_;
    std::optional<platform::EventLoop::TimerId> timer_;
    bool stopped_ = false;
};

} // namespace launcher
