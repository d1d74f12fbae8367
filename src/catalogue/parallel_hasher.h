#pragma once

#include "catalogue/file_catalogue.h"
#include "platform/event_loop.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace launcher {

// The work on one file: its MD5 text (or the placeholder), size and local
// last-write time. A pool thread runs it and then hands it to the interface
// thread through `OnComplete`.
class TMHOneThread {
public:
    using TMHOneThreadEvent = std::function<void(TMHOneThread& Sender)>;

    explicit TMHOneThread(std::string filename);

    TMHOneThreadEvent OnComplete;
    bool ModeIsHaveHash = true;

    // The whole thread function: unless asked to stop, look at the file, then
    // run `OnComplete` on the interface thread of `loop` and wait for it.
    void Run(platform::EventLoop& loop, std::span<std::uint8_t> buffer);
    // Looks at the file on the calling thread, reading its content through
    // `buffer` (at least one byte; the larger, the fewer reads, with the same
    // result). A missing or unreadable file gives the placeholder hash, size 0
    // and date 0.0; with `ModeIsHaveHash` false no content is read.
    void Execute(std::span<std::uint8_t> buffer);

    // Asks the worker to stop: it skips work and the report it has not begun.
    void Terminate() { terminated_.store(true); }
    bool Terminated() const { return terminated_.load(); }

    const std::string& filename() const { return _filename; }
    const std::string& hash() const { return _hash; }
    std::int64_t size() const { return _size; }
    TDateTime date() const { return _date; }

private:
    std::string _filename;
    std::string _hash;
    std::int64_t _size = 0;
    TDateTime _date = 0.0;
    std::atomic<bool> terminated_{false};
};

// Hashes the files of a catalogue below a folder on at most `threads` worker
// threads at once and returns the result catalogue. The caller waits inside
// `CalculateHash` on the interface thread; each finished file is handed to the
// interface thread, recorded there and reported through
// `OnThreadFileProceed`, and the next file is handed out in key order. When
// the application's terminate flag is set the process ends with exit code 0.
class TMHThreads {
public:
    using TMHThreadFileProceedEvent =
        std::function<void(TMHThreads& Sender, const std::string& filename, const std::string& hash,
                           std::int64_t size, TDateTime date)>;

    explicit TMHThreads(platform::EventLoop& loop);
    ~TMHThreads();
    TMHThreads(const TMHThreads&) = delete;
    TMHThreads& operator=(const TMHThreads&) = delete;

    TMHThreadFileProceedEvent OnThreadFileProceed;
    bool ModeIsHaveHash = true;

    // Hashes `path` + the `Name` of every entry of `filelist` (names that
    // differ only in case or surrounding blanks once). Must run on the
    // interface thread. An exception from `OnThreadFileProceed` stops the
    // handing out of files; when the running ones have finished it reaches
    // the caller.
    std::unique_ptr<TFileList> CalculateHash(std::string_view path, const TFileList& filelist,
                                             int threads);

    bool isComplete() const { return isComplete_; }

private:
    class WorkerPool;

    void StartWorker();
    void WorkerComplete(TMHOneThread& worker);

    platform::EventLoop& loop_;
    std::unique_ptr<TFileList> _filelist;
    std::unique_ptr<TFileList> _newlist;
    std::string _path;
    int cnt = 0;
    int _pos = -1;
    bool isComplete_ = false;
    bool abandoned_ = false;
    std::exception_ptr handler_error_;
    std::unique_ptr<WorkerPool> pool_;
};

} // namespace launcher
