#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace launcher {

// The MD5 of a file that is being written front to back, taken on a second
// thread that reads the file back as far as it has been written: the hash
// then costs no time of the writer's own, which matters for large files on
// a machine with a core to spare. Parts the writer skipped (holes) read back
// as zeros, as they are in the file.
class FollowingDigest {
public:
    explicit FollowingDigest(std::filesystem::path file);
    // Stops the thread if `Finish` was not called.
    ~FollowingDigest();
    FollowingDigest(const FollowingDigest&) = delete;
    FollowingDigest& operator=(const FollowingDigest&) = delete;

    // Everything below `offset` has been written (or is a hole).
    void Written(std::int64_t offset);
    // The file is complete at `size` bytes: waits for the hash of all of
    // them. None when the file could not be read back.
    std::optional<std::string> Finish(std::int64_t size);

private:
    void Run();

    std::filesystem::path file_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::int64_t written_ = 0;
    std::optional<std::int64_t> final_size_;
    bool stop_ = false;
    std::optional<std::string> result_;
    std::thread thread_;
};

} // namespace launcher
